#!/usr/bin/env python3
# The status line of a long goal search, run on a pseudo-terminal of 60 columns: it is shown,
# it never wraps, and it is gone from the screen before anything else is printed, on every surface
# and with standard output on the terminal or on a pipe; under a budget (on 120 columns, so that
# the line is read whole), it shows no best plan past the budget.
# Usage: progress_line_test.py OSTREL
import fcntl, os, pty, re, struct, subprocess, sys, tempfile, termios

WIDTH = 60
WIDE = 120
# Long enough to show the line (it waits half a second) on a quick machine too: some 2 s here.
SEARCH = ["--goal", "cheapest", "--beam-width", "1000"]
MAG = ["--section", "oran", "--class", "fonewm", "--target", "45/40/15/100"]
CASES = [  # arguments, standard input, standard output on the terminal too
    (SEARCH, "\n7\n9\n1\n45\n40\n15\n100\nn\n", True),
    (["plan", *MAG, *SEARCH, "--no-files"], "", True),
    (["plan", *MAG, *SEARCH, "--no-files"], "", False),
    (["forms", *MAG, "--beam-width", "1000"], "", True),
    # The searches' best here takes 786 feedings or more; the plan within the budget, 600.
    (["plan", "--section", "pinkal", "--class", "fomar", "--target", "35/20/20/25",
      "--max-feedings", "600", "--beam-width", "1000", "--no-files"], "", True),
]
BEST = re.compile(r"best plan so far (\d+) feedings")


def screen(text, width):
    """The lines a terminal `width` columns wide is left showing after `text`."""
    lines, line, column = [], [], 0
    for c in text:
        if c == "\n":
            lines.append("".join(line))
            line, column = [], 0
        elif c == "\r":
            column = 0
        else:
            if column == width:  # the next character wraps
                lines.append("".join(line))
                line, column = [], 0
            line[column:column + 1] = [c]
            column += 1
    return lines + ["".join(line)]


def run(ostrel, args, answers, out_on_terminal, directory, width):
    main, terminal = pty.openpty()
    fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 24, width, 0, 0))
    child = subprocess.Popen([ostrel, *args], cwd=directory, stdin=subprocess.PIPE,
                             stdout=terminal if out_on_terminal else subprocess.PIPE,
                             stderr=terminal)
    os.close(terminal)
    child.stdin.write(answers.encode())
    child.stdin.close()
    shown = b""
    try:
        while chunk := os.read(main, 4096):
            shown += chunk
    except OSError:  # the terminal's last holder has gone
        pass
    os.close(main)
    piped = child.stdout.read() if child.stdout else b""
    return child.wait(), shown.decode(), piped.decode()


def main():
    failures = 0
    for args, answers, out_on_terminal in CASES:
        # Under a budget the line's figures are read: it must not be cut short.
        width = WIDE if "--max-feedings" in args else WIDTH
        with tempfile.TemporaryDirectory() as directory:
            status, shown, piped = run(sys.argv[1], args, answers, out_on_terminal, directory,
                                       width)
        problems = [problem for failed, problem in (
            (status != 0, f"status {status}"), ("searching:" not in shown, "no status line shown"),
            ("searching:" in piped or (not out_on_terminal and "complete in" not in piped),
             "standard output is not the plan alone")) if failed]
        problems += [f"left on the screen: {line!r}"
                     for line in screen(shown, width) if "searching:" in line]
        if "--max-feedings" in args:
            budget = int(args[args.index("--max-feedings") + 1])
            problems += [f"a best past the budget: {feedings} feedings"
                         for feedings in set(map(int, BEST.findall(shown))) if feedings > budget]
        for problem in problems:
            print(f"ostrel {' '.join(args)}: {problem}")
        failures += len(problems)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
