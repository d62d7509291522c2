#!/usr/bin/env python3
"""Injects relative pointer motion into an X display at a steady rate through
XTest: inject_motion.py DISPLAY RATE SECONDS. The pointer sweeps 200 moves of
2 pixels right, then 200 left, and so on, so it stays over the middle of the
screen; a sweep never cancels out when Wine merges queued motion into one
report. Prints the number of events sent."""
import ctypes
import sys
import time

display_name, rate, seconds = sys.argv[1].encode(), float(sys.argv[2]), float(sys.argv[3])
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeRelativeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
display = x11.XOpenDisplay(display_name)
if not display:
    sys.exit("cannot open display " + display_name.decode())

sent = 0
start = time.monotonic()
while True:
    elapsed = time.monotonic() - start
    if elapsed >= seconds:
        break
    # Catch up to the schedule, then sleep about a millisecond.
    due = int(elapsed * rate)
    while sent < due:
        xtst.XTestFakeRelativeMotionEvent(display, 2 if (sent // 200) % 2 == 0 else -2, 0, 0)
        sent += 1
    x11.XFlush(display)
    time.sleep(0.001)
print(sent)
