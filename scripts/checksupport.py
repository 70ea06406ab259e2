"""What the scripts that check the real program under Xvfb share: reporting checks and waiting
for a condition. Each check prints "ok" or "FAIL"; `failures` counts the failed ones and is the
scripts' exit status."""

import time

failures = 0


def check(ok, what, detail=""):
    global failures
    print(("ok   " if ok else "FAIL ") + what + (f" ({detail})" if detail else ""), flush=True)
    if not ok:
        failures += 1


def wait_for(condition, seconds=15.0):
    """The condition's first true value within `seconds`, else None."""
    end = time.time() + seconds
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    return None
