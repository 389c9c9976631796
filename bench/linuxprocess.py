"""What Linux counts for a Windows program running under Wine: its Wine process's threads."""

import os
from pathlib import Path


def process_cpu_ms(pid):
    """User and system CPU time of a Linux process in milliseconds, threads that have ended
    included, in the kernel's clock ticks (usually 10 ms)."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])  # utime, stime
    return ticks * 1000 / os.sysconf("SC_CLK_TCK")


def thread_counters(pid):
    """(CPU nanoseconds, context switches) summed over the threads of a Linux process; a thread
    that ends while it is read is left out."""
    cpu = switches = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            cpu += int(Path(f"/proc/{pid}/task/{task}/schedstat").read_text().split()[0])
            for line in Path(f"/proc/{pid}/task/{task}/status").read_text().splitlines():
                if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                    switches += int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            continue
    return cpu, switches
