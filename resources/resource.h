// Resource and control ids of Qor.exe, by type: dialogs 118-136, menus 218-229, icons 233
// and 239, cursors 254-271. Never reuse an id.
#pragma once
