#pragma once
// The files last loaded, kept in the settings file for the file button's list.
#include "model/AppState.h"

#include <QString>

#include <vector>

struct RecentFile {
    QString path;
    bool exists;  // a file of that name is there now
};

// Newest first, at most Settings::kRecentCount.
std::vector<RecentFile> RecentFiles(AppState &state);
// The file goes to the front of the list, once; the oldest beyond the count
// drops off. A name the settings file cannot hold is not kept.
void RememberRecent(AppState &state, const QString &path);
