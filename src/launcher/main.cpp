// The POSIX entry: the system has split the command line already, so argv
// is taken as it is.
#include "launcher/LaunchDriver.h"

int main(int argc, char** argv) {
  return murvo::launcherMain(argc, argv);
}
