#pragma once
// The about box: the program's name and version, read from its version resource.
#include "framework/Dialog.h"
#include <string>

namespace explorer {

// "Tevrin version 0.1.0": product name and file version of `module` (null: the program).
// Falls back to the fixed version numbers, and to "Tevrin" alone without a resource.
std::wstring ProgramVersion(HMODULE module = nullptr);

// The components line names the debug manager and engines a run uses (whose they are).
class CAboutDialog : public CDialog {
public:
    explicit CAboutDialog(std::wstring components = L"") : components_(std::move(components)) {}

protected:
    bool OnInitDialog() override;

private:
    std::wstring components_;
};

} // namespace explorer
