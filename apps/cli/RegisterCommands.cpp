// The commands that run the instrument library's registration.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/HostSession.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
// A registry file that holds no value any more (only the bare keys that the
// removed entries lived under) is removed, so that unregistering the only
// library registered leaves nothing behind.
void RemoveEmptyRegistry() {
    const std::string strPath = RegistryFilePath();
    CRegistryStore store;
    if (access(strPath.c_str(), F_OK) != 0 || !store.Load(strPath)) return;
    for (const auto& entry : store.keys)
        if (!entry.second.values.empty()) return;
    if (unlink(strPath.c_str()) != 0)
        throw CCliError(strPath,
                        "cannot remove the empty registry: " + std::string(strerror(errno)));
}

int RunRegistration(const CCommandArgs& args, bool bRegister) {
    args.ExpectPositional(0, 0, "");
    CHostSession session(args);
    const HRESULT hr = bRegister ? session.Module().Register() : session.Module().Unregister();
    if (FAILED(hr))
        throw CCliError::FromHResult(session.Module().Path(),
                                     bRegister ? "registration failed" : "unregistration failed",
                                     hr);
    if (!bRegister) RemoveEmptyRegistry();
    WriteStdout((bRegister ? "registered " : "unregistered ") + session.Module().Path() + "\n");
    return 0;
}
int RunRegister(const CCommandArgs& args) { return RunRegistration(args, true); }
int RunUnregister(const CCommandArgs& args) { return RunRegistration(args, false); }
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
        "Removes the library's registration entries (DllUnregisterServer), and the\n"
        "registry file when nothing else is registered in it.\n",
        {"--module"},
        {},
        &RunUnregister};
    return entry;
}
