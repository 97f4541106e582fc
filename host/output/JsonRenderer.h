// The renderer for scripts: one JSON document on stdout for every answer and every failure,
// of the shape host/schema/ describes; failures and warnings are said on stderr too.
#ifndef FWHOST_OUTPUT_JSONRENDERER_H
#define FWHOST_OUTPUT_JSONRENDERER_H

#include "host/output/Renderer.h"

namespace fwhost {

class JsonRenderer : public Renderer {
 private:
  void render(const Result& result, const Warnings& warnings) override;
  void renderFailure(const HostError& error, const std::string& message, const std::string& command,
                     const Warnings& warnings) override;
};

}  // namespace fwhost

#endif
