// IsBackedUpUserFile (see named_files.h).
#include "common/named_files.h"

#include <cstring>

bool IsBackedUpUserFile(const char* name) {
    for (const BackupRow& row : kBackupRows) {
        if (std::strcmp(row.source, name) == 0) return true;
    }
    return false;
}
