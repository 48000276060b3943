#pragma once

// What the built program does, case by case: the input, the arguments, the
// bytes it writes, its exit status and the message after its banner.

#include <string>

enum SETUP_T
{
    SETUP_NONE,
    SETUP_OLD_OUTPUT,  // out.bin exists beforehand, holding "old"
    SETUP_HARD_LINK,   // link.txt is a hard link to in.txt
    SETUP_SYMLINK,     // link.txt is a symbolic link to in.txt
    SETUP_HUGE_INPUT,  // in.txt is made sparse, 2^32 + 2 bytes long
    SETUP_FIFO,        // fifo is a named pipe
};

enum { ON_POSIX = 1, ON_WINDOWS = 2, ON_BOTH = 3 };

struct E2E_CASE_T
{
    const char *name;
    std::string input;          // the bytes of in.txt
    const char *output;         // the bytes of out.bin in hex, null: not created
    int exitStatus;
    const char *message;        // after the banner, lines ended by "\n"
    const char *args = "in.txt out.bin";
    SETUP_T setup = SETUP_NONE;
    int platforms = ON_BOTH;
};

const E2E_CASE_T E2E_CASES[] = {
    {"worked_example", "# header\nD b 0x12345678\nW 258 l 258\nB 255 256\n",
     "12 34 56 78 01 02 02 01 FF 00", 0, ""},
    {"empty_input", "", "", 0, ""},
    {"only_comments_and_directives", "# none\nW b # still none\r\nD l", "", 0, ""},
    {"one_byte_no_line_end", "5", "05", 0, ""},
    {"truncated_to_width", "B 300 W 70000 D 4294967295", "2C 70 11 FF FF FF FF", 0, ""},
    {"byte_orders", "b W 258 l W 258 b D 16909060 l 16909060 b B 300",
     "01 02 02 01 01 02 03 04 04 03 02 01 2C", 0, ""},
    {"octal_and_hex", "010 08 09 0189 0012 0X1f 0xff", "08 00 00 01 0A 1F FF", 0, ""},
    {"comment_to_end_of_input", "1 2 # 3", "01 02", 0, ""},
    {"old_output_truncated", "1", "01", 0, "", "in.txt out.bin", SETUP_OLD_OUTPUT},
    {"negative_number", "1 -1 2", "01", 3, "ERROR: Bad token '-1' at line 1.\n"},
    {"lower_case_directive", "1\n w", "01", 3, "ERROR: Bad token 'w' at line 2.\n"},
    {"hex_prefix_alone", "7 0X", "07", 3, "ERROR: Bad token '0X' at line 1.\n"},
    {"lines_counted_with_crlf", "1\r\n2\r\n# c\r\n1a", "01 02", 3,
     "ERROR: Bad token '1a' at line 4.\n"},
    {"unprintable_bytes_escaped", "1 a\\'b\xC8\x7F", "01", 3,
     "ERROR: Bad token 'a\\x5C\\x27b\\xC8\\x7F' at line 1.\n"},
    {"zero_byte_in_token", std::string("1 W\0zz 2", 8), "01", 3,
     "ERROR: Bad token 'W\\x00zz' at line 1.\n"},
    {"forty_digits_too_long", "1\n1111111111111111111111111111111111111111", "01", 3,
     "ERROR: Token too long at line 2.\n"},
    {"no_arguments", "", nullptr, 1, "Usage> Numpress <in file> <out file>\n", ""},
    {"three_arguments", "", nullptr, 1, "Usage> Numpress <in file> <out file>\n",
     "in.txt out.bin more"},
    {"missing_input", "", nullptr, 2, "ERROR: Cannot open 'missing.txt'.\n",
     "missing.txt out.bin"},
    {"directory_as_input", "", nullptr, 2, "ERROR: Cannot open '.'.\n", ". out.bin"},
    {"output_in_missing_directory", "1", nullptr, 2,
     "ERROR: Cannot open 'none/out.bin'.\n", "in.txt none/out.bin"},
    {"same_file_twice", "1 2", nullptr, 2, "ERROR: Cannot open 'in.txt'.\n", "in.txt in.txt"},
    {"same_file_by_hard_link", "1 2", nullptr, 2, "ERROR: Cannot open 'link.txt'.\n",
     "in.txt link.txt", SETUP_HARD_LINK},
    {"same_file_by_symlink", "1 2", nullptr, 2, "ERROR: Cannot open 'link.txt'.\n",
     "in.txt link.txt", SETUP_SYMLINK},
    {"input_of_4_GiB", "", "", 3, "ERROR: Cannot read 'in.txt'.\n", "in.txt out.bin",
     SETUP_HUGE_INPUT},
    {"backslash_in_output_path", "1", nullptr, 2, "ERROR: Cannot open 'none\\out.bin'.\n",
     "in.txt 'none\\out.bin'", SETUP_NONE, ON_WINDOWS},
    {"full_device", "1 2", nullptr, 3, "ERROR: Cannot write '/dev/full'.\n",
     "in.txt /dev/full", SETUP_NONE, ON_POSIX},
    {"fifo_as_input", "", nullptr, 2, "ERROR: Cannot open 'fifo'.\n", "fifo out.bin",
     SETUP_FIFO, ON_POSIX},
    {"device_as_input", "", nullptr, 2, "ERROR: Cannot open '/dev/null'.\n",
     "/dev/null out.bin", SETUP_NONE, ON_POSIX},
    {"device_as_output", "1 2", nullptr, 0, "", "in.txt /dev/null", SETUP_NONE, ON_POSIX},
};
