#include "platform/windows/AccessControl.h"

#include <sddl.h>

namespace dialforge_platform {

namespace {

// Writing or adding (files or folders inside a folder), deleting it or what is inside, changing
// its DACL or owner, and the generic rights that include them.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                        DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                        GENERIC_ALL;

bool IsTrusted(PSID sid, PSID user) {
  return (user != nullptr && EqualSid(sid, user)) || IsWellKnownSid(sid, WinLocalSystemSid) ||
         IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

// The granting entry types: each has its mask and then its SID at the same places.
bool Grants(BYTE type) {
  return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
}

}  // namespace

bool OnlyTrustedMayChange(PSECURITY_DESCRIPTOR descriptor, PSID user) {
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (descriptor == nullptr ||
      !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present ||
      dacl == nullptr) {
    return false;
  }
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(dacl, index, &entry)) {
      return false;
    }
    const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) {
      continue;
    }
    if (Grants(header->AceType)) {
      const ACCESS_ALLOWED_ACE* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
      PSID sid = const_cast<DWORD*>(&allowed->SidStart);
      if ((allowed->Mask & kChangingRights) != 0 && !IsTrusted(sid, user)) {
        return false;
      }
    } else if (header->AceType != ACCESS_DENIED_ACE_TYPE &&
               header->AceType != ACCESS_DENIED_CALLBACK_ACE_TYPE &&
               header->AceType != SYSTEM_AUDIT_ACE_TYPE) {
      // An entry of a kind not read here (object entries, for one) may grant anything.
      return false;
    }
  }
  return true;
}

std::wstring PrivateDaclFor(PSID user) {
  std::wstring dacl = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
  wchar_t* text = nullptr;
  if (user != nullptr && ConvertSidToStringSidW(user, &text)) {
    dacl += L"(A;OICI;FA;;;" + std::wstring(text) + L")";
    LocalFree(text);
  }
  return dacl;
}

}  // namespace dialforge_platform
