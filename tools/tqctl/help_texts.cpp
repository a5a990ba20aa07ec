#include "help_texts.h"

#include <cstring>

namespace tqctl {

namespace {

struct Details {
    const char* name;
    const char* text;
};

const Details kDetails[] = {
    {"version",
     "Asks the regulator for its firmware version and prints it.\n\n"
     "options:\n"
     "  --json            one JSON object on standard output\n\n"
     "example:\n"
     "  tqctl --port /dev/serial/by-id/usb-FTDI_FT232R-if00-port0 version\n"},
    {"status",
     "Prints the regulator's two status numbers: the alarms raised and the command lines it did\n"
     "not understand since they were last cleared.\n\n"
     "options:\n"
     "  --clear           clear both numbers after reading them\n"
     "  --json            one JSON object on standard output\n"},
    {"stop", "Stops the regulator: its outputs are switched off; the live data keeps coming.\n"},
    {"start", "Starts the regulator with the parameters in its registers.\n"},
    {"save-flash",
     "Makes the regulator store its registers in FLASH so they survive a power cycle.\n\n"
     "example (production line, after a download):\n"
     "  tqctl download unit.tq --verify && tqctl save-flash\n"},
    {"load-flash", "Makes the regulator load its registers from FLASH; unsaved changes are lost.\n"},
    {"flash-defaults",
     "Makes the regulator write its factory defaults into FLASH; the registers in use change at\n"
     "the next reboot.\n"},
    {"reboot",
     "Restarts the regulator: registers from FLASH, the live data off, a start-up delay of three\n"
     "seconds; it regulates afterwards only when its Autostart flag is set.\n"},
    {"ports",
     "Lists the serial ports present, with their stable /dev/serial/by-id/ names where the\n"
     "system gives them. Opening a port needs membership of the 'dialout' group.\n\n"
     "A serial port on another machine, shared by a serial server such as ser2net, is given\n"
     "to --port as a URL (it is not listed here):\n"
     "  rfc2217://HOST:PORT   Telnet with the COM-PORT option (RFC 2217): the bit rate and the\n"
     "                        line settings are made at the server, as on a local port, so the\n"
     "                        boot loader's rate switch of flash and board-id works\n"
     "  socket://HOST:PORT    plain TCP: the line settings are fixed at the server; flash and\n"
     "                        board-id then need --boot-baud equal to --baud\n"
     "HOST is a name, an IPv4 address or an IPv6 address in brackets ([::1]). Errors name the\n"
     "host, the port and the reason (unknown host, connection refused, no answer, closed by\n"
     "the server, a setting refused). A connection that drops ends the command like an\n"
     "unplugged adapter; TQ_LINK_DEBUG=1 prints what the server did not answer.\n\n"
     "A ser2net 4 configuration (/etc/ser2net/ser2net.yaml) for both forms:\n"
     "  connection: &regulator\n"
     "    accepter: telnet(rfc2217),tcp,4000\n"
     "    connector: serialdev,/dev/ttyUSB0,115200n81,local\n"
     "    options:\n"
     "      chardelay: false\n"
     "  connection: &regulator-raw\n"
     "    accepter: tcp,4001\n"
     "    connector: serialdev,/dev/ttyUSB1,115200n81,local\n"
     "    options:\n"
     "      chardelay: false\n"
     "(chardelay: false passes each reply on at once; by default ser2net holds it for at least\n"
     "1 ms, which every command of a download then waits for.)\n\n"
     "options:\n"
     "  --rates           also list the bit rates each port offers\n"
     "  --detail          each port's kernel driver and, for USB adapters that report one,\n"
     "                    their latency timer (low latency is asked for when a port is opened)\n\n"
     "examples:\n"
     "  tqctl --port rfc2217://lab-pc:4000 version\n"
     "  tqctl --port socket://192.168.10.7:4001 monitor\n"
     "  tqctl --port rfc2217://lab-pc:4000 --port rfc2217://lab-pc:4002 flash fw.hex --verify\n"},
    {"monitor",
     "Shows the live status panel in the terminal: the temperatures, voltages, currents and\n"
     "outputs, and the status word with its alarm texts. Ends after N seconds or at Ctrl-C.\n\n"
     "options:\n"
     "  --seconds N       end after N seconds (at least 1)\n"
     "  --format 6|7      ask for the decimal (6) or IEEE (7) runtime format\n"
     "  --fahrenheit      temperatures in degrees Fahrenheit\n"
     "  --service         the service mode's fields too (the fan currents)\n\n"
     "example:\n"
     "  tqctl --demo monitor --seconds 10\n"},
    {"log",
     "Records the live data into a tab-separated log file, in the program's own log format.\n\n"
     "options:\n"
     "  --seconds N       end after N seconds (else at Ctrl-C)\n"
     "  --rate 0..3       keep every sample (0, 20 a second), one of 2 (1), of 20 (2) or of 200 (3)\n"
     "  --limit           stop taking rows after 65000 rows\n\n"
     "example (a one-hour soak test on a bench):\n"
     "  tqctl --port /dev/ttyUSB0 log soak.txt --seconds 3600 --rate 2\n"},
    {"decode",
     "Decodes runtime record lines (\"[7,...]\" or \"[6,...]\") given as arguments or, without\n"
     "arguments, one per line from standard input, and prints their fields.\n"},
    {"raw",
     "Sends one command line to the regulator and prints the data lines of its reply. TEXT takes\n"
     "the escapes \\r \\n \\t \\\\ and \\xHH.\n\n"
     "options:\n"
     "  --lines N         wait for N data lines (1 to 10)\n"
     "  --no-echo         the command is not echoed\n"
     "  --no-data         the command has no data lines\n\n"
     "example:\n"
     "  tqctl raw '$R0?'\n"},
    {"new",
     "Writes a parameter file holding the default values.\n\n"
     "options:\n"
     "  --force           replace an existing file\n"},
    {"show",
     "Prints every value of a parameter file by its field name.\n\n"
     "options:\n"
     "  --json            as one JSON object\n"},
    {"set",
     "Changes values of a parameter file by field name (see `tqctl fields`) and saves it, then\n"
     "prints each value set as the file now holds it, with its unit (\"st1 = 12.5 \xC2\xB0" "C\").\n"
     "A name that is not a field gets the names it was probably meant to be (\"kp\": did you\n"
     "mean kP?), a value that is not a number the field's range and unit; the file is then\n"
     "left as it was and the exit status is 64, as for an out-of-range value.\n\n"
     "example:\n"
     "  tqctl set unit.tq st1=12.5 kP=2\n"},
    {"download",
     "Writes the parameter file into the regulator's registers (the regulator is stopped\n"
     "meanwhile and its mode restored). Save to FLASH afterwards to keep them.\n\n"
     "options:\n"
     "  --ieee 0|1        send reals as decimal text (0) or IEEE bit patterns (1, the default)\n"
     "  --service         also write the service-mode registers\n"
     "  --verify          read the registers back and compare; exit 1 when they differ\n"
     "  --json            one JSON object on standard output\n\n"
     "example (every board attached, on a production line):\n"
     "  tqctl --port '/dev/serial/by-id/*' download unit.tq --verify\n"},
    {"get",
     "Reads the regulator's registers into a parameter file (created when it does not exist;\n"
     "its notes are kept when it does).\n\n"
     "options:\n"
     "  --ieee 0|1        read reals as decimal text (0) or IEEE bit patterns (1, the default)\n"},
    {"verify",
     "Compares the regulator's registers with a parameter file and lists every field that\n"
     "differs. The regulator is not changed.\n\n"
     "options:\n"
     "  --ieee 0|1        as for download\n"
     "  --service         also compare the service-mode registers\n"
     "  --json            one JSON object on standard output, with the differences\n\n"
     "exit status beyond the common ones: 1 the regulator differs, 66 the file cannot be read.\n"},
    {"hexinfo", "Reads a firmware image (Intel HEX) and prints its record count and program range.\n"},
    {"board-id",
     "Switches the regulator to its boot loader, prints the board's id and starts its program\n"
     "again.\n\n"
     "options:\n"
     "  --search          try every bit rate until the boot loader answers\n"
     "  --boot-baud N     the boot loader's bit rate (default: the normal rate)\n"},
    {"flash",
     "Writes a firmware image through the boot loader and starts the new program; with --verify it\n"
     "first reads every written range back and compares it with the file. Exit 1 when no board\n"
     "answers, the file is bad or the write fails, 2 when the read-back differs (the board then\n"
     "stays in its boot loader so that the write can be repeated).\n\n"
     "options:\n"
     "  --verify          read the image back and compare before starting it\n"
     "  --search          try every bit rate until the boot loader answers\n"
     "  --boot-baud N     the boot loader's bit rate (default: the normal rate)\n"
     "  --json            one JSON object on standard output\n\n"
     "example:\n"
     "  tqctl --port /dev/ttyUSB0 flash tq_fw_0231.hex --verify\n"},
    {"fields",
     "Lists every scalar field of a parameter set with its page, label, unit, kind (plain,\n"
     "temperature, difference, samples) and the range the pages and tqctl set accept, one line a\n"
     "field, tab-separated.\n\n"
     "options:\n"
     "  --markdown        the manual's table (docs/manual/fields.md) instead\n\n"
     "example (after changing the field description):\n"
     "  tqctl fields --markdown > docs/manual/fields.md\n"},
    {"analyse",
     "Reads a recorded runtime log and measures how Tr1 followed the largest change of Sp1 in the\n"
     "range: the step, rise time (10-90 %), overshoot (% of the step), settling time (within the\n"
     "band), steady-state error and noise (over the last 10 % of the range). A row's time is its\n"
     "sample counter at 20 lines/s. Exit 1 when the log cannot be read or holds no step.\n\n"
     "options:\n"
     "  --from S          start of the range, seconds from the first row\n"
     "  --to S            end of the range, seconds\n"
     "  --band B          settling band in degrees (default: 2 % of the step)\n"
     "  --json            the figures as one JSON object\n\n"
     "example (compare two tunings):\n"
     "  tqctl analyse run-kp2.txt --json > a.json; tqctl analyse run-kp3.txt --json > b.json\n"},
    {"export",
     "Converts a recorded runtime log to comma-separated text: a local ISO time column, the seconds\n"
     "since the first row, then the log's 23 columns (status words as decimal numbers).\n\n"
     "options:\n"
     "  -o OUT.csv        the file to write\n\n"
     "example:\n"
     "  tqctl export LoggFile001.txt -o run.csv\n"},
    {"report",
     "Writes the one-page report of a parameter file (notes, regulator, fans, alarm limits,\n"
     "sensor calibrations) as a PDF, as the window prints it. Needs no display.\n\n"
     "options:\n"
     "  -o OUT.pdf        the PDF to write\n\n"
     "example:\n"
     "  tqctl report unit.tq -o unit.pdf\n"},
    {"autotune",
     "Finds kP, kI and kD by a relay experiment: for its duration the regulator runs in P mode\n"
     "with a gain so high that its output sits at +-P % and reverses as Tr1 passes St1; St1 is\n"
     "moved 0.1 deg C beyond the operating point on the far side at each reversal, so the load\n"
     "oscillates a little around it; from the amplitude and period of the cycles (ultimate gain\n"
     "Ku and period Tu, the hysteresis accounted for) the constants follow in the regulator's\n"
     "own form. Progress is printed per cycle. Before the run every register it changes (St1,\n"
     "kP, kTr, Max power out, the regulator flags) is read; after it, whether it finished,\n"
     "failed, was interrupted (Ctrl-C) or lost the link, they are written\n"
     "back and read back. Nothing is saved to FLASH. The run stops at once when Tr1 leaves the\n"
     "band, when an alarm is raised (\"Regulator overload\" excepted: the output sits at its\n"
     "limit by design), when the output stays on one side four times longer than a half cycle\n"
     "(a load that runs away), when no sample comes for 2 s, or at the time limit.\n"
     "Refused: no link, the external set point selected, Off or Power mode without --setpoint,\n"
     "an output limit above the regulator's Max power out or inside its dead-band, an alarm.\n\n"
     "options:\n"
     "  --setpoint T      operating point, deg C (default: the regulator's St1)\n"
     "  --max-power P     relay output limit, % (default: Max power out, at most 40)\n"
     "  --band B          stop when Tr1 leaves T +- B deg C (default 10)\n"
     "  --timeout S       time limit of the experiment, s (default 600)\n"
     "  --rule R          gentle (default: Kc = Ku/3.2, Ti = 3 Tu, Td = Tu/6.3) or normal\n"
     "                    (Tyreus-Luyben: Kc = Ku/2.2, Ti = 2.2 Tu, Td = Tu/6.3);\n"
     "                    kP = Kc, kI = Kc/Ti, kD = Kc x Td\n"
     "  --apply FILE.tq   write the proposed kP, kI, kD into the file (created from the\n"
     "                    defaults when missing), range-checked like tqctl set\n"
     "  --json            one JSON object on standard output (the lines go to standard error)\n\n"
     "exit status of autotune: 0 constants found, 10 refused, 11 stopped before a result,\n"
     "12 registers not restored, 1 the file could not be written, 64 usage.\n\n"
     "examples:\n"
     "  tqctl autotune --setpoint 25 --max-power 30 --apply unit.tq\n"
     "  tqctl --simulate --plant laser-mount --sim-speed 8 autotune --setpoint 25 --max-power 30\n"
     "  tqctl --port /dev/ttyUSB0 --port /dev/ttyUSB1 autotune --apply board-{port}.tq\n"},
    {"help", "Prints a command's usage, description, options and exit status.\n"},
};

}  // namespace

const char* commandDetails(const std::string& name) {
    for (const Details& d : kDetails)
        if (name == d.name) return d.text;
    return nullptr;
}

const char* exitStatusText() {
    return "exit status:\n"
           "  0     success\n"
           "  1..9  the protocol's result code: 1 Serial port invalid, 2 Invalid pointer,\n"
           "        3 Timeout - echo msg, 4 Timeout - data msg, 5 Timeout - port busy,\n"
           "        6 Cmd open error (the port cannot be opened), 7 Cmd buffer empty,\n"
           "        8 Invalid count, 9 No match; commands that read files exit 1 for a bad file\n"
           "  64    usage error: anything wrong with the command line (an unknown command,\n"
           "        option or field name, a missing or extra argument, a value that is not a\n"
           "        number or lies outside its range); nothing is sent and no file written\n";
}

const char* globalOptionsText() {
    return "global options (before the command):\n"
           "  --port PATH       serial port (default: $TQ_PORT, else COM1 = /dev/ttyS0), or a\n"
           "                    port on the network: rfc2217://HOST:PORT or socket://HOST:PORT\n"
           "                    (tqctl help ports); give it again, or a pattern such as\n"
           "                    '/dev/serial/by-id/*', to run the command on every port at once\n"
           "  --baud N          bit rate (default 115200)\n"
           "  --simulate        an in-process virtual regulator as a board is after power-on:\n"
           "                    registers at their defaults, the regulator stopped (for trying\n"
           "                    transfers, tests and scripts)\n"
           "  --demo            the same, regulating: PID mode, started, cooling toward\n"
           "                    St1 = 10 \xC2\xB0" "C with its fans on (for watching monitor and log)\n"
           "  --plant NAME      the virtual regulator's thermal load: bench (default),\n"
           "                    laser-mount or cold-plate (tq-sim --help lists the constants)\n"
           "  --plant-param KEY=VALUE,...  change constants of that load\n"
           "  --sim-speed X     run the virtual regulator X times faster (0.1 .. 50)\n"
           "  --json            (after verify, download, flash, status, version) one JSON\n"
           "                    object per port on standard output\n"
           "  --version         print tqctl's own version and end\n"
           "  --help, -h        the commands and these options\n";
}

}  // namespace tqctl
