// frmabout, the player's information window: the publisher's card and logo.
// It has no actions of its own; its close box unloads it.
#pragma once

#include "runtime/win/form.h"

namespace player {

class Frmabout final : public rt::Form {
 public:
  static Frmabout& Instance();

 private:
  Frmabout();
};

}  // namespace player
