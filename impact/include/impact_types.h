// Value types shared by the engine library and the programs that load it.
#pragma once
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct iVec2 {
  float x, y;
} iVec2;

typedef struct iVec3 {
  float x, y, z;
} iVec3;

typedef struct iColor {
  float red, green, blue, alpha;
} iColor;

// Window messages that iProcessMessages hands to the program's handler.
enum iMessageKind {
  iMsgIdle = 0,           // nothing pending (never sent; for completeness)
  iMsgActivate = 1,       // the window got the input focus
  iMsgDeactivate = 2,     // the window lost the input focus
  iMsgMinimize = 3,       // the window was minimised
  iMsgRestore = 4,        // the window was restored from minimised
  iMsgMaximize = 5,       // the maximise command (the window is not maximised by itself)
  iMsgCaptionDblClk = 6,  // double click on the window frame; a = hit-test code (2 = caption)
  iMsgKeyUp = 7,          // a = virtual-key code ('1'..'5' = 49..53, letters upper case)
  iMsgWheelUp = 8,
  iMsgWheelDown = 9,
  iMsgClose = 10,  // the user asked to close the window
};

typedef struct iMessage {
  int32_t kind;
  int32_t a;
  int32_t b;
} iMessage;

typedef void (*iMessageHandler)(const iMessage* message, void* user);

#ifdef __cplusplus
}
#endif
