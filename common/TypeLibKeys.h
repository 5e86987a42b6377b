#pragma once
#include <windows.h>
#include <oaidl.h>
#include <string>

namespace common {

// The classes key a registration writes to: the machine's HKEY_CLASSES_ROOT, or the
// current user's Software\Classes (which Windows merges into HKEY_CLASSES_ROOT, so that a
// user without administrator rights can register for himself).
class ClassesRoot {
public:
    enum Scope { Machine, User };
    // Writing creates the user's Software\Classes where it is missing (Wine has none until
    // something registers for the user); reading and removing leave it missing.
    enum Access { OpenOrCreate, OpenExisting };
    explicit ClassesRoot(Scope scope, Access access = OpenOrCreate);
    ~ClassesRoot();
    ClassesRoot(const ClassesRoot&) = delete;
    ClassesRoot& operator=(const ClassesRoot&) = delete;

    HKEY key() const { return key_; }
    bool valid() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
    bool owned_ = false;
};

// The keys that register a type library and its automation interfaces (marshalled by the
// type-library marshaller), written under a classes root. RegisterTypeLib writes these too
// but only machine-wide; Windows' RegisterTypeLibForUser is missing or machine-wide on
// some platforms. skipInterface names one interface whose key is left alone (one that
// shares a system interface's IID). Both locale 0 and the library's own locale are
// written: some marshallers look only at the neutral one.
bool WriteTypeLibKeys(HKEY classesRoot, ITypeLib* library, const std::wstring& file, const IID* skipInterface);
// Removes the library's key and the interface keys that name it.
bool DeleteTypeLibKeys(HKEY classesRoot, ITypeLib* library, const IID* skipInterface);

// Removes the keys a registration creates under parent\path (CLSID, Interface, TypeLib,
// AppID) that an unregistration left empty, and parent\path itself when it is empty then:
// after an unregistration the user's classes are as before the registration.
void RemoveEmptyClasses(HKEY parent, const std::wstring& path);

// The file a CLSID's in-process server names under a classes root ("" when none).
std::wstring InprocServerOf(HKEY classesRoot, REFCLSID clsid);

} // namespace common
