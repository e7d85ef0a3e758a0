// Handlers whose features are still being built. Each moves to its own file
// when its feature lands.

#include "ui/main/form1.h"

void Form1::mnuselscreen_Click() {}
void Form1::mnuWindow_Click() {}
void Form1::WSHK_HotKeyPressed() {}
void Form1::VBHotKey1_HotKeyPressed() {}
void Form1::mnuHotKeys_Click() {}
void Form1::cmdCrop_Click() {}
void Form1::picpreview_MouseDown(int, int, float, float) {}
void Form1::picpreview_MouseMove(int, int, float, float) {}
void Form1::picpreview_MouseUp(int, int, float, float) {}
void Form1::mnuSave_Click() {}
void Form1::mnuSaveAs_Click() {}
void Form1::mnuSupport_Click() {}
void Form1::mnuAbout_Click() {}
