#include "bench/Workload.h"

#include <sstream>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

namespace {

std::string property(const std::string& name, const std::string& value) {
  return "<Property category=\"attribute\" name=\"" + name + "\" displayName=\"" + name +
         "\" type=\"string\" value=\"" + value + "\"/>";
}

}  // namespace

std::string driveDescription(int extraProperties) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><Object category=\"attributeList\">";
  text += property("ModelNumber", "QM 512GB") + property("SerialNumber", "S123") +
          property("Product", "Quarry Meadow") + property("OEM", "HP") +
          property("Firmware", "HPS0") + property("ConfigID", "T2UB_256");
  for (int i = 0; i < extraProperties; ++i) text += property("Extra" + std::to_string(i), "value");
  return text + "</Object>";
}

size_t readXmlAlone(const std::string& text) {
  std::istringstream stream(text);
  boost::property_tree::ptree tree;
  boost::property_tree::read_xml(stream, tree);
  return tree.size();
}
