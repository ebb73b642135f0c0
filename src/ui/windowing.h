// Our windowing layer over raw Win32, one user-interface thread: what the windows include.
// Its rooms, under windowing/:
//   owners.h                     one owner type per handle kind
//   application.h/.cpp           the application object, taskbar window, loops, the modal
//                                sequence, boxes
//   form.h, form.cpp             forms and their controls (layout rows with live handles),
//                                their window procedure
//   keyboard.cpp                 the dialog keyboard and focus model
//   mouse.cpp                    windowless controls under the pointer
//   painting.cpp                 background, labels, pictures, the glyph button
//   accessibility.h/.cpp         the object a screen reader gets for each form
//   support.h/.cpp               Win32 helpers the rooms share (classes, routing, resources)
#pragma once

#include "windowing/application.h"
#include "windowing/form.h"
#include "windowing/owners.h"
