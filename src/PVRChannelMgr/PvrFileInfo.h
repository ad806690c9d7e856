// The PVR service's channel record. Its byte layout belongs to the PVR
// service: packed, little-endian, 10902 bytes. The gadget fills only the named
// fields; the reserved runs stand for the parts it never touches.
#ifndef VANTRO_PVRFILEINFO_H
#define VANTRO_PVRFILEINFO_H

#include <cstddef>

struct __attribute__((packed)) _pvr_file_info {
    unsigned char reserved0[2];
    char channel_name[256];
    char programe_title[256];
    char channel_num[256];
    unsigned char reserved1[24];
    unsigned int no_video;
    unsigned int video_pid;
    unsigned char reserved2[12];
    unsigned short program_num;
    unsigned short program_num_copy;
    unsigned short major;
    unsigned short minor;
    unsigned char reserved3[2];
    unsigned short channel_type;
    unsigned char reserved4[4774];
    int program_start_time;
    int program_end_time;
    unsigned char reserved5[554];
    int video_type;
    unsigned char reserved6[4736];
};

static_assert(sizeof(_pvr_file_info) == 10902, "the PVR channel record is 10902 bytes");
static_assert(offsetof(_pvr_file_info, channel_name) == 2, "channel_name");
static_assert(offsetof(_pvr_file_info, programe_title) == 258, "programe_title");
static_assert(offsetof(_pvr_file_info, channel_num) == 514, "channel_num");
static_assert(offsetof(_pvr_file_info, no_video) == 794, "no_video");
static_assert(offsetof(_pvr_file_info, video_pid) == 798, "video_pid");
static_assert(offsetof(_pvr_file_info, program_num) == 814, "program_num");
static_assert(offsetof(_pvr_file_info, program_num_copy) == 816, "program_num_copy");
static_assert(offsetof(_pvr_file_info, major) == 818, "major");
static_assert(offsetof(_pvr_file_info, minor) == 820, "minor");
static_assert(offsetof(_pvr_file_info, channel_type) == 824, "channel_type");
static_assert(offsetof(_pvr_file_info, program_start_time) == 5600, "program_start_time");
static_assert(offsetof(_pvr_file_info, program_end_time) == 5604, "program_end_time");
static_assert(offsetof(_pvr_file_info, video_type) == 6162, "video_type");

#endif
