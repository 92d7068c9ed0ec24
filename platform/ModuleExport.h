// How the plug-in module marks the one function it exports; everything else stays inside it.
#ifndef DIALFORGE_PLATFORM_MODULEEXPORT_H
#define DIALFORGE_PLATFORM_MODULEEXPORT_H

#ifdef _WIN32
#define DIALFORGE_MODULE_EXPORT __declspec(dllexport)
#else
#define DIALFORGE_MODULE_EXPORT __attribute__((visibility("default")))
#endif

#endif
