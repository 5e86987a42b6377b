#pragma once
// The about box: the program's name and version, read from its version resource.
#include "framework/Dialog.h"
#include <string>

namespace explorer {

// "Tevrin version 0.1.0": product name and file version of `module` (null: the program).
// Falls back to the fixed version numbers, and to "Tevrin" alone without a resource.
std::wstring ProgramVersion(HMODULE module = nullptr);

class CAboutDialog : public CDialog {
protected:
    bool OnInitDialog() override;
};

} // namespace explorer
