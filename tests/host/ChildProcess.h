// Test helper: runs a program to its end as a user would; one twin per platform.
#ifndef FWPROVIDER_TESTS_HOST_CHILDPROCESS_H
#define FWPROVIDER_TESTS_HOST_CHILDPROCESS_H

#include <filesystem>
#include <string>
#include <vector>

// Runs program with the UTF-8 arguments in folder, standard input read from input, standard
// output and error written to the files out and err. The exit code; -1 when it did not exit.
int runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& folder, const std::filesystem::path& input,
               const std::filesystem::path& out, const std::filesystem::path& err);

#endif
