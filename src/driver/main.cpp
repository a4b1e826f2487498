#include "driver/command.hpp"

int main(int argc, char** argv) { return diaset::run_command(argc, argv); }
