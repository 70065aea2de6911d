#include "app/UnitFicheVellumo.h"

namespace vellumo {

// "a;;b" gives a, an empty piece, b; an empty last piece is dropped.
std::vector<std::string> TFicheVellumo::SplitAddresses(const std::string& text) const {
  std::vector<std::string> pieces;
  std::string rest = text;
  for (auto semicolon = rest.find(';'); semicolon != std::string::npos;
       semicolon = rest.find(';')) {
    pieces.push_back(rest.substr(0, semicolon));
    rest.erase(0, semicolon + 1);
  }
  if (!rest.empty()) pieces.push_back(rest);
  return pieces;
}

}  // namespace vellumo
