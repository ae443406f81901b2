kestrelpix x.srt $1 0x2 +0 -1 0 30 -4 1 1 0 2 41 2 1
