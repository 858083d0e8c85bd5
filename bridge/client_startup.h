// The library's own start-up, run once the client is registered with the host.
#pragma once

// Prepares the utility library for the client: the dialog encoding and its tables, ICU's data
// directory, and ClientInitialised.
void ClientStartup();
