// zelta: a stand-in for the host program that scores a contest log through the
// Stats plug-in.
#include "host/zelta_cli.h"

int main(int argc, char** argv) { return zelta::RunZelta(argc, argv); }
