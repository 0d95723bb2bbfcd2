#include "player/frmabout.h"

#include "player/frmabout_description.h"

namespace player {

Frmabout& Frmabout::Instance() {
  static Frmabout instance;
  return instance;
}

Frmabout::Frmabout() : rt::Form(kFrmabout) {}

}  // namespace player
