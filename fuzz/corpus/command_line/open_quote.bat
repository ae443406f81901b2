kestrelpix x.srt 0 4 0 14 0 30 -4 1 1 0 2 41 2 "2
