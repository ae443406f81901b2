"/opt/kp/kestrelpix" "/data/a.srt" 2 0 3 40 2 500 -13 2 9 6 12 29 3 7
