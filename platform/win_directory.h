// The process's current directory, with the C run-time's name and contract.
#pragma once

// Writes the current directory, in host form ("C:\dir"), into buffer of size bytes: buffer, or
// null when it cannot be obtained or does not fit.
char* _getcwd(char* buffer, int size);
