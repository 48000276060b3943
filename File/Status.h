#pragma once

// Status codes of the file library. Every status other than STATUS_OK is odd,
// so a caller can tell failure from success by the lowest bit alone; this is
// also what lets an opening operation return a handle or a status in one value.
enum
{
    STATUS_OK = 0,
    STATUS_ERROR = 1,               // the system refused an open, a read or a write
    STATUS_END = 3,                 // no byte of the input is left to read
    STATUS_NO_MEMORY = 7,           // no memory for a handle record
    STATUS_SAME_FILE = 9,           // the file to create is the one being read
    STATUS_NOT_REGULAR = 11,        // a device or a pipe, where a regular file is read
    STATUS_MESSAGES = 13,           // the file to create is where the messages go
    STATUS_IN_USE = 15,             // another process holds the file open
    STATUS_MAY_BE_SAME = 17,        // the file to create may be the one being read
    STATUS_MAY_TAKE_MESSAGES = 19,  // the file to create may be where the messages go
};
