// qv-evtgen: writes an event-log file (*.evt) from a small text description.
//
//   qv-evtgen DESCRIPTION OUTPUT.evt
//
// The description has one directive per line.  "#" starts a comment
// (outside quotes); blank lines are ignored.  A directive is a word
// followed by fields name=value.  A value is a bare word (no blanks), a
// number (decimal or 0x hex) or "quoted text" with the escapes \" \\ \n \r
// \t and \u{hex}; text is UTF-8 and may hold any character.
//
// Settings, before the first event:
//   log maxsize=0x10000 retention=0
//       maxsize   the log's maximum size (default 64 KiB; the platform uses
//                 multiples of 64 KiB, smaller multiples of 4 are allowed
//                 for small fixtures).  The file starts at 64 KiB and grows
//                 in 64 KiB steps; once at its maximum, new events wrap
//                 around to offset 0x30 and overwrite the oldest.
//       retention seconds an event is kept before it may be overwritten;
//                 0 = overwrite as needed (default), never = keep all
//                 (an event that does not fit is then an error)
//   form as=live | as=backup
//       live      (default) the file as the service keeps it: at its grown
//                 size, wrapped when the events went round
//       backup    the compact form a backup has: clean header, records in
//                 order from 0x30, trimmed to its exact size
//   dirty after=N
//       live form only: the header is left as it was after the N-th event
//       and marked dirty, as in a copy taken from a running system (the
//       end-of-file record is then what tells where the records are)
//   clock time=2021-03-04T05:06:07Z
//       time of the next event that names none (later ones: +1 s each);
//       times are UTC, or a plain number of seconds since 1970
//
// Events, in log order:
//   event type=error source="Service Control Manager" computer=SRV1
//         id=0xC0001B58 category=2 time=2021-03-04T05:06:07Z written=...
//         number=100 sid=S-1-5-21-1-2-3-1001 string="first" string="zweite «Zeile»"
//         data=DEADBEEF size=512 flags=0 closing=0
//       type      error, warning, information (default), audit-success,
//                 audit-failure, success, or a number (kept as it is)
//       id        all 32 bits (severity and facility bits included)
//       number    record number (default: the next; must rise)
//       written   TimeWritten (default: time)
//       string    one insertion string; repeat for more, in order
//       data      the binary data, hex digits in pairs
//       size      pads the record on disk to at least this many bytes (to
//                 place records exactly, e.g. across the end of the file)
//       repeat    writes the event this many times (numbers and, unless
//                 given, times go on)
//   bulk count=1000 seed=7 step=120 computer=SRV1
//       count pseudo-random realistic events (services, logons, failed
//       logons, application faults with data, network warnings, non-ASCII
//       names), 1 to step seconds apart from the clock on; the same seed
//       gives the same events; computer defaults to a few made-up names
//
// Example, a log that wrapped once, copied while the service was running:
//   log maxsize=0x10000
//   dirty after=300
//   bulk count=600 seed=42

#include "EvtGenerator.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: qv-evtgen DESCRIPTION OUTPUT.evt\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qv-evtgen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    if (!evtgen::WriteEvtLog(text.str(), argv[2], error)) {
        std::fprintf(stderr, "qv-evtgen: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return 0;
}
