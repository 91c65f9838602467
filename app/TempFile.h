// Temporary files of the conversion, named "~or<hex>.TMP" in the user's
// temporary folder.
#pragma once

#include <string>

// Makes a new, empty, uniquely named file and returns its full path; false
// when the temporary folder cannot be had or ten attempts all fail.
bool CreateTempFilePath(std::string& path);
