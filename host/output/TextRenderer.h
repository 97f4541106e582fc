// The renderer for people: lines and tables on stdout, failures on stderr, every text
// terminal-safe; its raw twin prints map's answer document or an image's bytes instead.
#ifndef FWHOST_OUTPUT_TEXTRENDERER_H
#define FWHOST_OUTPUT_TEXTRENDERER_H

#include "host/output/Renderer.h"

namespace fwhost {

class TextRenderer : public Renderer {
 protected:
  void render(const Result& result, const Warnings& warnings) override;
  void renderFailure(const HostError& error, const std::string& message, const std::string& command,
                     const Warnings& warnings) override;
};

// --xml and --output -: the document or the bytes as they are, when they go anywhere but a
// terminal; the rest as text.
class RawRenderer : public TextRenderer {
 protected:
  void render(const Result& result, const Warnings& warnings) override;
};

// A document for a file: as it is, unless stdout is a terminal, which gets it terminal-safe.
std::string documentText(const std::string& document);

}  // namespace fwhost

#endif
