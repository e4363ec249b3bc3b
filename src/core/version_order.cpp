#include "core/version_order.h"

#include <array>
#include <optional>

#include "core/text.h"

namespace quo {

namespace {

std::optional<std::array<double, 3>> Parts(const std::string& v) {
  if (v.empty()) return std::nullopt;
  const auto p = Split(v, '.');
  if (p.size() != 3) return std::nullopt;
  return std::array<double, 3>{NumericValue(p[0]), NumericValue(p[1]), NumericValue(p[2])};
}

}  // namespace

bool IsNewerVersion(const std::string& a, const std::string& b) {
  const auto va = Parts(a), vb = Parts(b);
  if (!va || !vb) return false;
  return *vb > *va;  // lexicographic: major, then minor, then revision
}

}  // namespace quo
