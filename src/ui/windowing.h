// Our windowing layer over raw Win32, one user-interface thread: what the windows include. It
// holds its handles in the owner types of src/win32/owners.h. docs/architecture.md follows a
// click, a key and a change of density through it. Its rooms, under windowing/:
//   application.h/.cpp           the application object, taskbar window, loops, the modal
//                                sequence, boxes
//   form.h, form.cpp             forms built on their own layouts, their window procedure,
//                                showing, closing and clicks
//   controls.h/.cpp              each kind of control said once: creation, layout, painting,
//                                hit-testing, focus and what a screen reader is told
//   keyboard.cpp                 the dialog keyboard and focus model
//   mouse.cpp                    windowless controls under the pointer
//   painting.cpp                 the background, and the controls where the form paints them
//   accessibility.h/.cpp         the object a screen reader gets for each form
//   support.h/.cpp               Win32 helpers the rooms share (captions, classes, routing,
//                                resources)
#pragma once

#include "windowing/application.h"
#include "windowing/form.h"
#include "owners.h"
