// The block of event slots: made by Qor.exe alone, with a security descriptor of its own.
#include "app/event_slots.h"

#include <aclapi.h>
#include <sddl.h>
#include <cstdio>
#include <cstring>

#include "app/app_rules.h"

namespace {
EventSlotsView slotsView = {nullptr, nullptr};

// The user's SID as text, for the block's security descriptor; false when it cannot be read.
bool userSid(char (&text)[192]) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  alignas(TOKEN_USER) BYTE user[256];
  DWORD size = 0;
  char* sid = nullptr;
  bool good = GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
              ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
  CloseHandle(token);
  if (good) std::snprintf(text, sizeof text, "%s", sid);
  if (sid) LocalFree(sid);
  return good;
}

bool slotsSecurityText(char (&text)[512]) {
  char sid[192];
  return userSid(sid) && eventSlotsSecurityText(sid, text);
}

// The descriptor an object holds, as text in the same form.
bool securityTextOf(HANDLE object, char (&text)[512]) {
  PSECURITY_DESCRIPTOR held = nullptr;
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, parts, nullptr, nullptr, nullptr, nullptr,
                      &held) != ERROR_SUCCESS)
    return false;
  char* converted = nullptr;
  bool good = ConvertSecurityDescriptorToStringSecurityDescriptorA(held, SDDL_REVISION_1, parts,
                                                                   &converted, nullptr);
  if (good) std::snprintf(text, sizeof text, "%s", converted);
  if (converted) LocalFree(converted);
  LocalFree(held);
  return good;
}

// A section of the block's size with the security that securityText describes; null with
// the system's error when it cannot be made. Named, it may be one that exists already.
HANDLE createSection(const char* name, const char* securityText) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(securityText, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return nullptr;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                      sizeof(EventSlots), name);
  const DWORD error = GetLastError();
  LocalFree(descriptor);
  SetLastError(error);
  return section;
}

// A block that an earlier Qor made: it has Qor's mark and security, and the Qor it names has
// no hook window any more. The security is compared in the form the system gives back, with
// that of a section made now as Qor makes the block.
bool leftByEarlierQor(const EventSlotsView& view, const char* securityText) {
  if (view.slots->owner.magic != kEventSlotsMagic || ownersHookWindow(view.slots)) return false;
  char held[512], ours[512];
  HANDLE probe = createSection(nullptr, securityText);
  bool same = probe && securityTextOf(probe, ours) && securityTextOf(view.mapping, held) &&
              std::strcmp(held, ours) == 0;
  if (probe) CloseHandle(probe);
  return same;
}
}  // namespace

bool createEventSlots() {
  char securityText[512];
  if (!slotsSecurityText(securityText)) return false;
  HANDLE mapping = createSection(EVENT_SLOTS_NAME, securityText);
  if (!mapping) return false;
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  EventSlotsView view = {mapping, static_cast<EventSlots*>(MapViewOfFile(
                                      mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                                      sizeof(EventSlots)))};
  if (!view.slots || (existed && !leftByEarlierQor(view, securityText))) {
    unmapEventSlots(view);
    return false;
  }
  EventSlotsOwner& owner = view.slots->owner;
  __atomic_store_n(&owner.hookWindow, 0, __ATOMIC_RELAXED);
  __atomic_store_n(&owner.process, GetCurrentProcessId(), __ATOMIC_RELAXED);
  __atomic_store_n(&owner.magic, kEventSlotsMagic, __ATOMIC_RELEASE);
  slotsView = view;
  return true;
}

EventSlots* eventSlotsView() { return slotsView.slots; }

void closeEventSlots() { unmapEventSlots(slotsView); }

