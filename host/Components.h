#pragma once
#include <windows.h>
#include <activscp.h>
#include <activdbg.h>
#include <string>

namespace host {

// Where a run's process debug manager and script engines come from. The platform's
// registered classes come first; where the platform has none (pdm.dll is not part of
// Windows, and Windows is retiring its VBScript), Tevrin's own DLLs beside the program
// serve them, loaded from that folder without any registration. Nothing here registers
// a class, so the platform's components are never replaced.
class Components {
public:
    enum class Origin { None, Platform, Own };

    // Creates the process debug manager. origin (optional) says whose it is.
    static HRESULT CreateDebugManager(IProcessDebugManager** manager, Origin* origin = nullptr);
    // Whose debug manager this process gets, asked once.
    static Origin DebugManagerOrigin();
    // Creates a script engine of the class; StepScript's class falls back to the DLL
    // beside the program when it is not registered.
    static HRESULT CreateEngine(const CLSID& clsid, IActiveScript** engine);
    // Whether stepscript.dll ships beside the program.
    static bool HasOwnStepScript();
    // A language name or ProgID that the platform does not know but Tevrin ships.
    static bool ResolveOwnLanguage(const std::wstring& name, CLSID* clsid);

    // The file whose code serves the object: proof of whose component answered.
    static std::wstring ServingModule(IUnknown* object);
    // The folder of the running program, with a trailing backslash.
    static std::wstring ProgramFolder();

    // One line per component the next run would use, for /version and the About box.
    static std::wstring Describe();

private:
    static HRESULT CreateOwn(const wchar_t* dllName, const CLSID& clsid, REFIID iid, void** object);
};

} // namespace host
