#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
  return varnek::cli::RunCli(argc, argv, std::cout, std::cerr);
}
