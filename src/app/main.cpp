// vantrel: the window program.
#include "app/CVantrelApp.h"

int main(int argc, char** argv) {
  vantrel::CVantrelApp app(argc, argv);
  if (!app.initInstance()) return 1;
  return app.exec();
}
