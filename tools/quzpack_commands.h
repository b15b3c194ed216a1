// The four commands of the quzpack tool; each returns the process exit status.
#pragma once

#include <string>
#include <vector>

// Packs the files in the given order; an argument "@LIST" stands for the paths in the file LIST,
// one a line. Member names are the files' own names in GBK.
int PackCommand(bool plain, const std::string& output, const std::vector<std::string>& inputs);
int ListCommand(const std::string& archive);
int VerifyCommand(const std::string& archive);
int ExtractCommand(const std::string& archive, const std::string& directory);
