// Ending the connection with the host.
#pragma once

// Releases every host interface in table order and nulls the table, disconnects the sink if one
// is still recorded afterwards, and sets ClientStopped. Safe to re-enter from the sink's end.
void HostDisconnect();
