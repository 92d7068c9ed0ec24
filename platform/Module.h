// Loading a module (shared object or DLL) and finding a function in it, as the host does.
#ifndef DIALFORGE_PLATFORM_MODULE_H
#define DIALFORGE_PLATFORM_MODULE_H

#include <string>

namespace dialforge_platform {

// "Dialforge.so", or "Dialforge.dll" on Windows: the plug-in module's file name in the build.
const char* ModuleFileName();

// The loaded module, or null with the system's reason.
void* LoadModule(const std::string& path, std::string& reason);
void* FindFunction(void* module, const char* name);
void UnloadModule(void* module);

// The running program's own file; empty when the system cannot say.
std::string RunningProgram();

}  // namespace dialforge_platform

#endif
