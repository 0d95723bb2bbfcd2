#include "runtime/core/layout_scale.h"

namespace rt {

void LayoutScale::Begin(int dpi) {
  current_ = dpi;
  layingOut_ = true;
  announced_.reset();
}

bool LayoutScale::Announce(int dpi) {
  if (layingOut_) {
    announced_ = dpi;
    return false;
  }
  return dpi != current_;
}

std::optional<int> LayoutScale::End() {
  layingOut_ = false;
  std::optional<int> next = announced_;
  announced_.reset();
  if (next == current_) return std::nullopt;
  return next;
}

}  // namespace rt
