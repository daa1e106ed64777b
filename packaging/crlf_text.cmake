# Copies the text file SOURCE to TARGET with CRLF line ends, as Windows editors expect:
#   cmake -DSOURCE=... -DTARGET=... -P crlf_text.cmake
file(READ "${SOURCE}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${TARGET}" "${text}")
