// A user's terminal settings, far from the raw 115200 a run uses: canonical
// mode with echo and signals, output processing, 9600 baud. Tests put a port
// in them to see it given back exactly so.
#pragma once

#include <termios.h>

// Sets fd's line to those settings; false if the tty refused them.
inline bool MakeCooked(int fd) {
    termios line{};
    if (tcgetattr(fd, &line) != 0) return false;
    line.c_lflag |= ICANON | ECHO | ISIG;
    line.c_oflag |= OPOST | ONLCR;
    cfsetispeed(&line, B9600);
    cfsetospeed(&line, B9600);
    return tcsetattr(fd, TCSANOW, &line) == 0;
}
