// The Lumetri suite: parameters and menus named by their id strings, and the panel mode.
#include <algorithm>
#include <cmath>
#include <functional>

#include "host/HostState.h"
#include "sdk/ControlSurfaceHostLumetri.h"

namespace dialforge_host {

namespace {

using LumetriRef = ADOBESDK_ControlSurfaceHostLumetri;
// The journal arguments of a call, made under the host's lock; empty for read-only operations.
using JournalArguments = std::function<std::vector<std::string>(const HostState&)>;

const std::string kNoChoice;

const std::string& CurrentChoice(const LumetriMenu& menu) {
  return menu.choices.empty() ? kNoChoice : menu.choices[menu.value];
}

template <typename Body>
ADOBESDK_Error LumetriCall(Operation operation, LumetriRef* lumetri,
                           const JournalArguments& arguments, Body&& body) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure =
            host.Call(operation, arguments ? arguments(host) : std::vector<std::string>())) {
      return failure;
    }
    if (!host.Knows(lumetri)) {
      return kHostUnknownReference;
    }
    return body(host);
  });
}

// Runs body on the parameter the id string names, once the out pointer is known to be usable.
template <typename Body>
ADOBESDK_Error ParameterCall(Operation operation, LumetriRef* lumetri, const ADOBESDK_String* id,
                             float* out, const JournalArguments& arguments, Body&& body) {
  return LumetriCall(operation, lumetri, arguments, [&](HostState& host) -> ADOBESDK_Error {
    ADOBESDK_Error error = kADOBESDK_NoError;
    const std::string* text = host.Argument(operation, id, &error);
    if (text == nullptr) {
      return error;
    }
    if (out == nullptr) {
      return kHostBadArgument;
    }
    LumetriParameter* parameter = host.Parameter(*text);
    if (parameter == nullptr) {
      return kHostUnknownItem;
    }
    return body(host, *parameter);
  });
}

// Moves the menu the id string names with change, then reports its current choice.
template <typename Change>
ADOBESDK_Error MenuCall(Operation operation, LumetriRef* lumetri, const ADOBESDK_String* id,
                        ADOBESDK_String* out, const JournalArguments& arguments, Change&& change) {
  return LumetriCall(operation, lumetri, arguments, [&](HostState& host) -> ADOBESDK_Error {
    ADOBESDK_Error error = kADOBESDK_NoError;
    const std::string* text = host.Argument(operation, id, &error);
    if (text == nullptr) {
      return error;
    }
    if (out == nullptr) {
      return kHostBadArgument;
    }
    LumetriMenu* menu = host.Menu(*text);
    if (menu == nullptr) {
      return kHostUnknownItem;
    }
    change(host, *menu);
    host.strings.Fill(out, CurrentChoice(*menu));
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Lumetri_GetParameterCount(LumetriRef* lumetri, uint32_t* count) {
  return LumetriCall(Operation::GetParameterCount, lumetri, nullptr,
                     [&](HostState& host) -> ADOBESDK_Error {
                       if (count == nullptr) {
                         return kHostBadArgument;
                       }
                       *count = static_cast<uint32_t>(host.project.lumetri.parameters.size());
                       return kADOBESDK_NoError;
                     });
}

ADOBESDK_Error Lumetri_GetParameterAtIndex(LumetriRef* lumetri, uint32_t index, ADOBESDK_String* id,
                                           ADOBESDK_String* name, float* minimum, float* maximum) {
  return LumetriCall(
      Operation::GetParameterAtIndex, lumetri, nullptr, [&](HostState& host) -> ADOBESDK_Error {
        if (id == nullptr || name == nullptr || minimum == nullptr || maximum == nullptr) {
          return kHostBadArgument;
        }
        if (index >= host.project.lumetri.parameters.size()) {
          return kHostUnknownItem;
        }
        const LumetriParameter& parameter = host.project.lumetri.parameters[index];
        host.strings.Fill(id, parameter.id);
        host.strings.Fill(name, parameter.name);
        *minimum = parameter.minimum;
        *maximum = parameter.maximum;
        return kADOBESDK_NoError;
      });
}

ADOBESDK_Error Lumetri_GetParameterValue(LumetriRef* lumetri, const ADOBESDK_String* id,
                                         float* value) {
  return ParameterCall(Operation::GetParameterValue, lumetri, id, value, nullptr,
                       [&](HostState&, const LumetriParameter& parameter) {
                         *value = parameter.value;
                         return kADOBESDK_NoError;
                       });
}

ADOBESDK_Error Lumetri_SetParameterValue(LumetriRef* lumetri, const ADOBESDK_String* id,
                                         float value, float* resultingValue) {
  return ParameterCall(
      Operation::SetParameterValue, lumetri, id, resultingValue,
      [&](const HostState& host) {
        return std::vector<std::string>{host.JournalText(id), FloatField(value)};
      },
      [&](HostState& host, LumetriParameter& parameter) {
        if (std::isnan(value)) {
          return kHostBadArgument;
        }
        parameter.value = std::clamp(value, parameter.minimum, parameter.maximum);
        if (parameter.value != value) {
          host.NoteKept(FloatField(parameter.value));
        }
        *resultingValue = parameter.value;
        return kADOBESDK_NoError;
      });
}

ADOBESDK_Error Lumetri_ResetParameter(LumetriRef* lumetri, const ADOBESDK_String* id,
                                      float* resultingValue) {
  return ParameterCall(
      Operation::ResetParameter, lumetri, id, resultingValue,
      [&](const HostState& host) { return std::vector<std::string>{host.JournalText(id)}; },
      [&](HostState&, LumetriParameter& parameter) {
        parameter.value = parameter.defaultValue;
        *resultingValue = parameter.value;
        return kADOBESDK_NoError;
      });
}

ADOBESDK_Error Lumetri_GetMenuCount(LumetriRef* lumetri, uint32_t* count) {
  return LumetriCall(Operation::GetMenuCount, lumetri, nullptr,
                     [&](HostState& host) -> ADOBESDK_Error {
                       if (count == nullptr) {
                         return kHostBadArgument;
                       }
                       *count = static_cast<uint32_t>(host.project.lumetri.menus.size());
                       return kADOBESDK_NoError;
                     });
}

ADOBESDK_Error Lumetri_GetMenuAtIndex(LumetriRef* lumetri, uint32_t index, ADOBESDK_String* id,
                                      ADOBESDK_String* name) {
  return LumetriCall(Operation::GetMenuAtIndex, lumetri, nullptr,
                     [&](HostState& host) -> ADOBESDK_Error {
                       if (id == nullptr || name == nullptr) {
                         return kHostBadArgument;
                       }
                       if (index >= host.project.lumetri.menus.size()) {
                         return kHostUnknownItem;
                       }
                       const LumetriMenu& menu = host.project.lumetri.menus[index];
                       host.strings.Fill(id, menu.id);
                       host.strings.Fill(name, menu.name);
                       return kADOBESDK_NoError;
                     });
}

ADOBESDK_Error Lumetri_GetMenuValue(LumetriRef* lumetri, const ADOBESDK_String* id,
                                    ADOBESDK_String* value) {
  return MenuCall(Operation::GetMenuValue, lumetri, id, value, nullptr,
                  [](HostState&, LumetriMenu&) {});
}

ADOBESDK_Error Lumetri_SetMenuValue(LumetriRef* lumetri, const ADOBESDK_String* id, uint32_t steps,
                                    ADOBESDK_String* value) {
  return MenuCall(
      Operation::SetMenuValue, lumetri, id, value,
      [&](const HostState& host) {
        return std::vector<std::string>{host.JournalText(id), std::to_string(steps)};
      },
      [&](HostState& host, LumetriMenu& menu) {
        if (!menu.choices.empty()) {
          const uint64_t last = menu.choices.size() - 1;
          const uint64_t asked = uint64_t{menu.value} + steps;
          menu.value = static_cast<uint32_t>(std::min(asked, last));
          if (asked > last) {
            host.NoteKept(CurrentChoice(menu));
          }
        }
      });
}

ADOBESDK_Error Lumetri_ResetMenu(LumetriRef* lumetri, const ADOBESDK_String* id,
                                 ADOBESDK_String* value) {
  return MenuCall(
      Operation::ResetMenu, lumetri, id, value,
      [&](const HostState& host) { return std::vector<std::string>{host.JournalText(id)}; },
      [](HostState&, LumetriMenu& menu) { menu.value = 0; });
}

ADOBESDK_Error Lumetri_SetPanelMode(LumetriRef* lumetri, uint32_t mode, uint32_t* resultingMode) {
  return LumetriCall(
      Operation::SetPanelMode, lumetri,
      [&](const HostState&) { return std::vector<std::string>{std::to_string(mode)}; },
      [&](HostState& host) -> ADOBESDK_Error {
        if (resultingMode == nullptr) {
          return kHostBadArgument;
        }
        if (mode > kHighestPanelMode) {
          return kHostOutOfRange;
        }
        host.project.lumetri.panelMode = mode;
        *resultingMode = mode;
        return kADOBESDK_NoError;
      });
}

const ADOBESDK_ControlSurfaceHostLumetriSuite1 kLumetriSuite = {
    Lumetri_GetParameterCount, Lumetri_GetParameterAtIndex, Lumetri_GetParameterValue,
    Lumetri_SetParameterValue, Lumetri_ResetParameter,      Lumetri_GetMenuCount,
    Lumetri_GetMenuAtIndex,    Lumetri_GetMenuValue,        Lumetri_SetMenuValue,
    Lumetri_ResetMenu,         Lumetri_SetPanelMode,
};

}  // namespace

const void* LumetriSuiteTable() {
  return &kLumetriSuite;
}

}  // namespace dialforge_host
