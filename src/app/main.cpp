#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/startup.h"

int main(int argc, char** argv) { return app::Run(argc, argv); }
