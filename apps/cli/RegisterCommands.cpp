// The commands that run the instrument library's registration.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/HostSession.h"

namespace {
int RunRegistration(const CCommandArgs& args, bool bRegister) {
    args.ExpectPositional(0, 0, "");
    CHostSession session(args);
    const HRESULT hr = bRegister ? session.Module().Register() : session.Module().Unregister();
    if (FAILED(hr))
        throw CCliError::FromHResult(session.Module().Path(),
                                     bRegister ? "registration failed" : "unregistration failed",
                                     hr);
    WriteStdout((bRegister ? "registered " : "unregistered ") + session.Module().Path() + "\n");
    return 0;
}
int RunRegister(const CCommandArgs& args) {
    return RunRegistration(args, true);
}
int RunUnregister(const CCommandArgs& args) {
    return RunRegistration(args, false);
}
} // namespace

const CommandEntry& RegisterCommand() {
    static const CommandEntry entry{
        "register",
        "run the instrument library's registration",
        "usage: pandrel register [--module pandrel.so]\n\n"
        "Writes the library's registration entries (DllRegisterServer).\n",
        {"--module"},
        {},
        &RunRegister};
    return entry;
}

const CommandEntry& UnregisterCommand() {
    static const CommandEntry entry{
        "unregister",
        "remove the instrument library's registration",
        "usage: pandrel unregister [--module pandrel.so]\n\n"
        "Removes the library's registration entries (DllUnregisterServer).\n",
        {"--module"},
        {},
        &RunUnregister};
    return entry;
}
