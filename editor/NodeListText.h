// The texts the panel shows of nodes: the ID label and the lines of the
// node list.
#pragma once

#include "runtime/datastring.h"

// "ID:  07": two digits up to 9, plain decimal from 10.
void AppendNodeIdText(kvor::data::datastring<32, char>& text, int nodeId);
// "Port 3:   ID: 07 (R)" for the receiver 7 of port 3; (S) for a sender.
void AppendNodeListLine(kvor::data::datastring<32, char>& text, int port, int nodeId, bool sends);
