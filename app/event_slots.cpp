// The block of event slots: made by Qor.exe alone, with a security descriptor of its own.
#include "app/event_slots.h"

#include <aclapi.h>
#include <sddl.h>
#include <cstdio>
#include <cstring>

#include "protocol/event_slots.h"
#include "rules/app_rules.h"

namespace {
EventSlotsView slotsView = {nullptr, nullptr, nullptr};

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

// The block's and its namespace's security descriptors as text.
bool slotsSecurityTexts(char (&block)[512], char (&space)[512]) {
  char sid[192];
  return userSid(sid) && eventSlotsSecurityText(sid, false, block) &&
         eventSlotsSecurityText(sid, true, space);
}

// The block's name, with its namespace opened into *space (made first where none exists).
const wchar_t* openSlotsName(HANDLE* space, const char* securityText) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  *space = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(securityText, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return nullptr;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  const wchar_t* name = eventSlotsName(space, &attributes);
  LocalFree(descriptor);
  return name;
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
HANDLE createSection(const wchar_t* name, const char* securityText) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(securityText, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return nullptr;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                      sizeof(EventSlots), name);
  const DWORD error = GetLastError();
  LocalFree(descriptor);
  SetLastError(error);
  return section;
}

// Whether the block holds Qor's security, compared in the form the system gives back with
// that of a section made now as Qor makes the block.
bool heldAsQorMakesIt(const EventSlotsView& view, const char* securityText) {
  char held[512], ours[512];
  HANDLE probe = createSection(nullptr, securityText);
  bool same = probe && securityTextOf(probe, ours) && securityTextOf(view.mapping, held) &&
              std::strcmp(held, ours) == 0;
  if (probe) CloseHandle(probe);
  return same;
}

// A block found under the name: Qor's own (its mark and security, every page committed) is a
// running copy's while the hook window it names lives, else an earlier Qor's to take over.
SlotsStart judgeFoundBlock(const EventSlotsView& view, const char* securityText,
                           DWORD* runningCopy) {
  if (!everyPageCommitted(view.slots) || view.slots->owner.magic != kEventSlotsMagic ||
      !heldAsQorMakesIt(view, securityText))
    return kSlotsRefused;
  if (!ownersHookWindow(view.slots)) return kSlotsMade;
  *runningCopy = view.slots->owner.process;
  return kSlotsOfRunningCopy;
}
}  // namespace

SlotsStart createEventSlots(DWORD* runningCopy) {
  char securityText[512], spaceText[512];
  if (!slotsSecurityTexts(securityText, spaceText)) return kSlotsRefused;
  EventSlotsView view = {nullptr, nullptr, nullptr};
  const wchar_t* name = openSlotsName(&view.space, spaceText);
  if (name) view.mapping = createSection(name, securityText);
  bool existed = view.mapping && GetLastError() == ERROR_ALREADY_EXISTS;
  if (name && !view.mapping && GetLastError() == ERROR_ACCESS_DENIED) {
    // Creation asks for more than Qor's descriptor grants anyone: a block is there to judge.
    view.mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE | READ_CONTROL, FALSE, name);
    existed = true;
  }
  if (view.mapping)
    view.slots = static_cast<EventSlots*>(
        MapViewOfFile(view.mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(EventSlots)));
  SlotsStart start = view.slots ? kSlotsMade : kSlotsRefused;
  if (view.slots && existed) start = judgeFoundBlock(view, securityText, runningCopy);
  if (start != kSlotsMade) {
    unmapEventSlots(view);
    return start;
  }
  EventSlotsOwner& owner = view.slots->owner;
  __atomic_store_n(&owner.hookWindow, 0, __ATOMIC_RELAXED);
  __atomic_store_n(&owner.process, GetCurrentProcessId(), __ATOMIC_RELAXED);
  __atomic_store_n(&owner.magic, kEventSlotsMagic, __ATOMIC_RELEASE);
  slotsView = view;
  return kSlotsMade;
}

EventSlots* eventSlotsView() { return slotsView.slots; }

void closeEventSlots() { unmapEventSlots(slotsView); }
