// Form1, the launcher's only window: the product's cover and one button per
// edition; a button starts that edition's installer and closes the launcher.
#pragma once

#include <string_view>

#include "runtime/win/form.h"

namespace launcher {

class Form1 final : public rt::Form {
 public:
  static Form1& Instance();

  void Command1_Click();
  void Command2_Click();

 private:
  Form1();
  void OnClick(std::wstring_view control) override;
  // Starts the installer at `relativePath` below the application folder;
  // unloads the window once it runs.
  void StartEdition(std::wstring_view relativePath);
};

}  // namespace launcher
