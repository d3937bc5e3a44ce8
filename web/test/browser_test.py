#!/usr/bin/python3
"""Drives ostrel's web page in headless Chromium and checks it against the console program.

Serves the built site on 127.0.0.1 (a free port), plans several mags in the page (a new mag, a
grown mag with bars, a hopeless target, refused mags) and compares the page's console lines and
saved files byte for byte with the native `ostrel` dialogue run on the same answers in a fresh
temporary directory. The cheapest and the fewest-feedings plans, the forms listing and a plan for
a form chosen in it are compared with the native build of the page's request code (the request
tool; the unit tests hold that code to the console program's plan run), and every plan the page
shows is replayed with `ostrel feed`. Also checks the progress line of a slow goal, the ticks
surviving a reload, the page's rows against the grouped file, that no request leaves the page and
that the browser console holds no error. Screenshots go to SITE/screenshots/. Ends with the line
"N passed, N failed".

Usage: browser_test.py --site build-web --ostrel build/ostrel --request-tool TOOL
(The page's timings are measured by bench/page_measure.py.)
"""
import json
import argparse
import functools
import http.server
import pathlib
import re
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
STATS = ("def", "pow", "dex", "mind")
FILES = ("feedingPlan.txt", "feedingPlan2.txt")
RUN_LINE = re.compile(r"Feed +(\d+) +(.+?) to your: +(\S+) \( *(\d+)\) (\S+)")

# Each case: the answers (section ID and class as menu numbers, the start as form index with
# stats and bars, or None for a new mag, the target) and what the page must answer.
NEW_MAG = dict(name="new mag, Purplenum Humar to 50/50/50/50", section=0, char_class=0,
               start=None, target=(50, 50, 50, 50), outcome="found")
CASES = [
    NEW_MAG,
    dict(name="grown Varuna with bars, Skyly Racaseal", section=2, char_class=7,
         start=dict(type=2, stats=(8, 12, 3, 2), bars=(40, 70, 10, 0)),
         target=(20, 110, 50, 20), outcome="found"),
    dict(name="small plan, Whitill Fonewearl", section=9, char_class=11, start=None,
         target=(6, 1, 0, 2), outcome="found"),
    dict(name="hopeless target 5/0/0/195", section=0, char_class=0, start=None,
         target=(5, 0, 0, 195), outcome="gave-up"),
    # Refused with the command line's words, the dialogue's message first; the field is marked.
    dict(name="refused target: lowers a stat", section=3, char_class=4,
         start=dict(type=2, stats=(8, 12, 3, 2), bars=(0, 0, 0, 0)),
         target=(20, 10, 50, 20), outcome="refused", message="That mag is not possible",
         shown="That mag is not possible (pow 10 is below the mag's 12)", marked="target-pow"),
    dict(name="refused mag: fully raised, def 4", section=1, char_class=1,
         start=dict(type=28, stats=(4, 100, 100, 0), bars=(0, 0, 0, 0)),
         target=(100, 100, 100, 0), outcome="refused", message="Your mag is fully raised!",
         shown="Your mag is fully raised! (level 204)", marked="start-def"),
]


# Goal cases: the answers as above plus the goal, and the final form's index or None for any.
CHEAPEST = dict(name="cheapest, Bluefull Ramarl new to 20/20/20/20", section=5, char_class=6,
                start=None, target=(20, 20, 20, 20), goal="cheapest", form=None)
FEWEST = dict(name="fewest, Skyly Racaseal grown Varuna to 12/25/10/3", section=2, char_class=7,
              start=dict(type=2, stats=(8, 12, 3, 2), bars=(40, 70, 10, 0)),
              target=(12, 25, 10, 3), goal="fewest", form=None)
# An ila at level 80 whose cheapest plan ends as kumara; ila is reached on a costlier route.
ILA = 9
TWO_FORMS = dict(name="cheapest, Pinkal Fomar ila to 35/20/20/25", section=8, char_class=8,
                 start=dict(type=ILA, stats=(29, 14, 14, 23), bars=(4, 0, 96, 0)),
                 target=(35, 20, 20, 25), goal="cheapest", form=None)
# A goal that takes seconds: long enough for the progress line, stopped once it shows.
SLOW = dict(name="cheapest, Pinkal Fomar new to 35/20/20/25", section=8, char_class=8,
            start=None, target=(35, 20, 20, 25), goal="cheapest", form=None)
class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print(f"ok - {name}")
        else:
            self.failed += 1
            print(f"FAIL - {name}: {detail}")


def dialogue_answers(case):
    lines = ["", str(case["section"]), str(case["char_class"])]
    start = case["start"]
    if start is None:
        lines.append("1")
    else:
        lines += ["2", str(start["type"] + 1)]
        for stat, bar in zip(start["stats"], start["bars"]):
            lines += [str(stat), str(bar)]
    lines += [str(v) for v in case["target"]]
    lines.append("n")
    return "\n".join(lines) + "\n"


def run_native(ostrel, case):
    """The console program on the case's answers: its whole output and both plan files."""
    with tempfile.TemporaryDirectory() as work:
        done = subprocess.run([ostrel], input=dialogue_answers(case).encode(), cwd=work,
                              capture_output=True, timeout=120, check=False)
        files = {name: (pathlib.Path(work) / name).read_bytes() for name in FILES}
    return done.stdout.decode(), files


def plan_lines(stdout):
    """The console lines of the plan: after the last target question, up to the closing one."""
    question = stdout.rindex("What is your desired mind? (")
    begin = stdout.index("\n", question) + 1
    return stdout[begin:stdout.index("\nTry another", begin)]


def serve(site):
    class QuietHandler(http.server.SimpleHTTPRequestHandler):
        extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                          ".wasm": "application/wasm", ".js": "text/javascript"}

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(QuietHandler, directory=str(site)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--no-first-run", f"--user-data-dir={profile}",
                     "--window-size=1200,1400"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def wait_ready(driver):
    WebDriverWait(driver, 30).until(
        lambda d: d.find_element(By.ID, "section-id").find_elements(By.TAG_NAME, "option"))


def wait_answer(driver, timeout=120):
    """Waits for the answer to the plan just started: a plan shown or a refusal."""
    WebDriverWait(driver, timeout).until(lambda d: d.execute_script(
        "return (document.getElementById('status').dataset.ms || '') !== ''"
        " || !document.getElementById('refusal').hidden"))


@functools.cache
def catalog_of(tool):
    done = subprocess.run([tool, "catalog"], capture_output=True, timeout=60, check=True)
    return json.loads(done.stdout)


def request_of(tool, case):
    """The request the page sends for a case (the catalog's names), for the native request tool."""
    catalog = catalog_of(tool)
    start, form = case["start"], case.get("form")
    if start is not None:
        start = dict(form=catalog["forms"][start["type"]], stats=dict(zip(STATS, start["stats"])),
                     bars=dict(zip(STATS, start["bars"])))
    player = dict(sectionId=catalog["sectionIds"][case["section"]],
                  charClass=catalog["charClasses"][case["char_class"]])
    return dict(player=player, start=start, target=dict(zip(STATS, case["target"])),
                goal=case.get("goal", "first"),
                form=None if form is None else catalog["forms"][form])


def run_tool(tool, case, kind="plan"):
    done = subprocess.run([tool] + (["forms"] if kind == "forms" else []),
                          input=json.dumps(request_of(tool, case)).encode(), capture_output=True,
                          timeout=300, check=True)
    return json.loads(done.stdout)


def fill_and_plan(driver, case, wait=True):
    Select(driver.find_element(By.ID, "section-id")).select_by_value(str(case["section"]))
    Select(driver.find_element(By.ID, "char-class")).select_by_value(str(case["char_class"]))
    start = case["start"]
    kind = "new" if start is None else "grown"
    driver.find_element(By.CSS_SELECTOR, f'input[name="mag-kind"][value="{kind}"]').click()
    if start is not None:
        Select(driver.find_element(By.ID, "form")).select_by_value(str(start["type"]))
        for stat, value, bar in zip(STATS, start["stats"], start["bars"]):
            set_field(driver, f"start-{stat}", value)
            set_field(driver, f"start-{stat}Bar", bar)
    for stat, value in zip(STATS, case["target"]):
        set_field(driver, f"target-{stat}", value)
    goal = case.get("goal", "first")
    Select(driver.find_element(By.ID, "goal")).select_by_value(goal)
    if goal != "first":
        form = case.get("form")
        Select(driver.find_element(By.ID, "final-form")).select_by_value(
            "any" if form is None else str(form))
    driver.execute_script("const d = document.getElementById('status').dataset;"
                          " d.ms = ''; d.formsMs = '';")
    driver.find_element(By.ID, "plan-button").click()
    if wait:
        wait_answer(driver)


def set_field(driver, field_id, value):
    field = driver.find_element(By.ID, field_id)
    field.clear()
    field.send_keys(str(value))


def text_of(driver, element_id):
    return driver.execute_script(f"return document.getElementById('{element_id}').textContent")


def save_files(driver, downloads):
    """Clicks both save buttons and returns the bytes of the files they saved."""
    driver.execute_cdp_cmd("Page.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": str(downloads)})
    for button in driver.find_elements(By.CSS_SELECTOR, "button.save"):
        button.click()
    deadline = time.monotonic() + 20
    paths = [downloads / name for name in FILES]
    while time.monotonic() < deadline and not all(p.exists() for p in paths):
        time.sleep(0.05)
    return {p.name: p.read_bytes() if p.exists() else None for p in paths}


def rows_match_grouped_file(driver, grouped):
    """The page's rows, first run first, against the run lines of feedingPlan2.txt (last first)."""
    rows = driver.execute_script(
        "return [...document.querySelectorAll('#runs li')].map(r => "
        "[r.querySelector('.feed').textContent, r.querySelector('.route').textContent])")
    lines = grouped.decode().splitlines()[2:]
    lines.reverse()
    if len(rows) != len(lines):
        return False, f"{len(rows)} rows, {len(lines)} run lines"
    for (feed, route), line in zip(rows, lines):
        count, item, form, level, stats = RUN_LINE.fullmatch(line).groups()
        if feed != f"{count} × {item}" or not route.startswith(f"{form} ({level}) {stats} →"):
            return False, f"row {feed!r} {route!r} against line {line!r}"
    return True, ""


def check_case(driver, results, ostrel, case, downloads):
    name = case["name"]
    fill_and_plan(driver, case)
    stdout, native_files = run_native(ostrel, case)
    if case["outcome"] == "refused":
        shown = text_of(driver, "refusal")
        results.check(f"{name}: the page refuses with the command line's words",
                      shown == case["shown"], repr(shown))
        results.check(f"{name}: the field the verdict names is marked",
                      "invalid" in driver.find_element(By.ID, case["marked"])
                      .get_attribute("class"), "")
        driver.save_screenshot(str(driver.shots / "refusal.png"))
        results.check(f"{name}: the dialogue prints the same message",
                      case["message"] + "\n" in stdout, "message missing from the dialogue")
        return
    results.check(f"{name}: console lines as the console program's",
                  text_of(driver, "console") == plan_lines(stdout),
                  f"page {text_of(driver, 'console')[:200]!r}\nnative {plan_lines(stdout)[:200]!r}")
    if case["outcome"] == "gave-up":
        results.check(f"{name}: no plan, no save buttons, native files empty",
                      all(not b.is_displayed() for b in driver.find_elements(By.CSS_SELECTOR, "button.save"))
                      and all(v == b"" for v in native_files.values()), "")
        return
    saved = save_files(driver, downloads)
    for file_name in FILES:
        results.check(f"{name}: saved {file_name} byte for byte as the console program's",
                      saved[file_name] == native_files[file_name],
                      f"{len(saved[file_name] or b'')} bytes saved, {len(native_files[file_name])} native")
    ok, detail = rows_match_grouped_file(driver, native_files["feedingPlan2.txt"])
    results.check(f"{name}: one row per run, first run at the top, as in the grouped file", ok, detail)


def wait_forms(driver, timeout=120):
    WebDriverWait(driver, timeout).until(lambda d: d.execute_script(
        "return (document.getElementById('status').dataset.formsMs || '') !== ''"))


def replay(ostrel, case, driver):
    """Feeds the page's runs with `ostrel feed`: the mag after every run, the last one last."""
    rows = driver.execute_script(
        "return [...document.querySelectorAll('#runs li .feed')].map(f => f.textContent)")
    items = ", ".join(row.replace(" × ", " ") for row in rows)
    command = [ostrel, "feed", "--section", str(case["section"]), "--class",
               str(case["char_class"]), "--items", items, "--format", "json"]
    start = case["start"]
    if start is not None:
        command += ["--mag", str(start["type"] + 1), "--stats", "/".join(map(str, start["stats"])),
                    "--bars", "/".join(map(str, start["bars"]))]
    done = subprocess.run(command, capture_output=True, timeout=60, check=True)
    return [run["after"] for run in json.loads(done.stdout)["runs"]]


def check_goal_case(driver, results, ostrel, tool, case, downloads):
    """A goal plan in the page: the native request code's bytes, and it replays to the target."""
    name = case["name"]
    fill_and_plan(driver, case)
    native = run_tool(tool, case)
    document = native["document"]
    results.check(f"{name}: found", document["outcome"] == "found", document["outcome"])
    results.check(f"{name}: console lines as the native request code's",
                  text_of(driver, "console") == native["console"], "")
    saved = save_files(driver, downloads)
    for file_name in FILES:
        results.check(f"{name}: saved {file_name} byte for byte as the native request code's",
                      saved[file_name] == native["files"][file_name].encode(),
                      f"{len(saved[file_name] or b'')} bytes saved")
    ok, detail = rows_match_grouped_file(driver, saved["feedingPlan2.txt"])
    results.check(f"{name}: one row per run, first run at the top, as in the grouped file", ok, detail)
    mags = replay(ostrel, case, driver)
    target = dict(zip(STATS, case["target"]))
    never_above = all(all(mag["stats"][s] <= target[s] for s in STATS) for mag in mags)
    reached = document["summary"]["reached"]
    results.check(f"{name}: the runs fed with ostrel feed reach the target exactly, never above",
                  never_above and mags[-1] == reached and len(mags) == len(document["runs"]),
                  f"ends at {mags[-1]}")
    return native


def check_forms_listing(driver, results, tool, case):
    """The final forms the page lists after a goal plan, against the native listing."""
    wait_forms(driver)
    native = run_tool(tool, case, "forms")["document"]
    shown = driver.execute_script(
        "return [...document.querySelectorAll('#forms-reached tr')].map(r => "
        "[...r.querySelectorAll('td')].map(c => c.textContent))")
    reached = sorted((f for f in native["forms"] if f["status"] == "reached"),
                     key=lambda f: (f["meseta"], f["feedings"]) if case["goal"] == "cheapest"
                     else (f["feedings"], f["meseta"]))
    expected = [[f["form"], f"{f['feedings']:,}", f"{f['meseta']:,}"] for f in reached]
    results.check(f"{name_of(case)}: the forms reached listed as natively, best first",
                  shown == expected, f"page {shown}, native {expected}")
    excluded = sum(1 for f in native["forms"] if f["status"] == "excluded")
    other = text_of(driver, "forms-other")
    results.check(f"{name_of(case)}: the excluded forms counted, the not found ones named",
                  f"Excluded by the evolution rules ({excluded})" in other
                  and all(f["form"] in other for f in native["forms"] if f["status"] == "not-found")
                  and "impossible" not in other, repr(other[:200]))
    return native


def name_of(case):
    return case["name"]


def check_choosing_a_form(driver, results, ostrel, tool, downloads):
    """Plans for the costlier form chosen in the listing."""
    case = TWO_FORMS
    check_goal_case(driver, results, ostrel, tool, case, downloads / "any")
    listing = check_forms_listing(driver, results, tool, case)
    reached = [f["form"] for f in listing["forms"] if f["status"] == "reached"]
    results.check("two forms reached for the ila", len(reached) == 2, repr(reached))
    driver.execute_script("const d = document.getElementById('status').dataset;"
                          " d.ms = ''; d.formsMs = '';")
    driver.find_element(By.CSS_SELECTOR, f'#forms-reached tr[data-form="{ILA}"] button').click()
    wait_answer(driver)
    chosen = dict(case, form=ILA, name="cheapest ending as ila, chosen in the listing")
    results.check("choosing a form sets the final form",
                  Select(driver.find_element(By.ID, "final-form")).first_selected_option
                  .get_attribute("value") == str(ILA), "")
    native = run_tool(tool, chosen)
    results.check("the plan for the chosen form is the native request code's",
                  text_of(driver, "console") == native["console"]
                  and native["document"]["summary"]["reached"]["formNumber"] == ILA + 1, "")
    results.check("the listing stays and marks the chosen form",
                  driver.execute_script("return document.querySelector('#forms-reached tr.shown')"
                                        "?.dataset.form") == str(ILA), "")
    check_goal_case(driver, results, ostrel, tool, chosen, downloads / "ila")


def check_progress_line(driver, results):
    """A goal that takes seconds shows the feedings searched and the best plan so far."""
    fill_and_plan(driver, SLOW, wait=False)
    try:
        WebDriverWait(driver, 60).until(
            lambda d: "feedings searched" in text_of(d, "status")
            and "best so far" in text_of(d, "status"))
        line = text_of(driver, "status")
        ok = re.search(r"Searching… \d+\.\d s · [\d,]+ feedings searched · best so far "
                       r"[\d,]+ feedings, [\d,]+ meseta", line) is not None
    except Exception as error:  # pylint: disable=broad-except
        line, ok = repr(error), False
    results.check("a slow goal shows its progress line", ok, line)
    driver.save_screenshot(str(driver.shots / "progress.png"))
    driver.find_element(By.ID, "stop-button").click()
    WebDriverWait(driver, 30).until(lambda d: d.find_element(By.ID, "plan-button").is_enabled())


def check_ticks_survive_reload(driver, results):
    boxes = driver.find_elements(By.CSS_SELECTOR, "#runs input[type=checkbox]")
    boxes[0].click()
    boxes[2].click()
    driver.refresh()
    # The page plans the last request again when it opens.
    wait_ready(driver)
    wait_answer(driver)
    ticked = driver.execute_script(
        "return [...document.querySelectorAll('#runs input')].flatMap((b, i) => b.checked ? [i] : [])")
    results.check("ticks survive a reload", ticked == [0, 2], repr(ticked))
    fed = text_of(driver, "fed-count")
    results.check("the fed count follows the ticks", fed.startswith("2 of "), repr(fed))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", required=True, type=pathlib.Path)
    parser.add_argument("--ostrel", required=True, type=pathlib.Path)
    parser.add_argument("--request-tool", required=True, type=pathlib.Path)
    args = parser.parse_args()
    site, ostrel, tool = args.site.resolve(), args.ostrel.resolve(), str(args.request_tool.resolve())
    results = Results()
    server = serve(site)
    origin = f"http://127.0.0.1:{server.server_port}"
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        driver = start_browser(scratch / "profile")
        try:
            driver.get(f"{origin}/index.html")
            wait_ready(driver)
            driver.shots = site / "screenshots"
            driver.shots.mkdir(exist_ok=True)
            for index, case in enumerate(CASES):
                downloads = scratch / f"downloads-{index}"
                downloads.mkdir()
                check_case(driver, results, str(ostrel), case, downloads)
                if case is NEW_MAG:
                    check_ticks_survive_reload(driver, results)
                    shots = site / "screenshots"
                    shots.mkdir(exist_ok=True)
                    driver.save_screenshot(str(shots / "desktop.png"))
                    driver.set_window_size(390, 1400)
                    time.sleep(0.3)
                    driver.save_screenshot(str(shots / "phone.png"))
                    driver.set_window_size(1200, 1400)
            # A plan of its own keeps its own ticks: the grown mag's rows start unticked.
            fill_and_plan(driver, CASES[1])
            ticked = driver.execute_script(
                "return [...document.querySelectorAll('#runs input')].some(b => b.checked)")
            results.check("another plan's rows start unticked", not ticked, "")
            results.check("the first plan found lists no forms",
                          driver.find_element(By.ID, "forms-card").get_attribute("hidden")
                          is not None, "")
            for index, case in enumerate((CHEAPEST, FEWEST)):
                downloads = scratch / f"goal-downloads-{index}"
                downloads.mkdir()
                check_goal_case(driver, results, str(ostrel), tool, case, downloads)
                check_forms_listing(driver, results, tool, case)
                if case is CHEAPEST:
                    driver.save_screenshot(str(driver.shots / "goal-desktop.png"))
                    driver.set_window_size(390, 1400)
                    time.sleep(0.3)
                    driver.save_screenshot(str(driver.shots / "goal-phone.png"))
                    driver.set_window_size(1200, 1400)
            downloads = scratch / "form-downloads"
            (downloads / "any").mkdir(parents=True)
            (downloads / "ila").mkdir()
            check_choosing_a_form(driver, results, str(ostrel), tool, downloads)
            check_progress_line(driver, results)
            requests = driver.execute_script(
                "return performance.getEntriesByType('resource').map(e => e.name)")
            outside = [r for r in requests if not r.startswith(origin + "/")]
            results.check("no request leaves the page", not outside, repr(outside))
            errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
            results.check("no error in the browser console", not errors, repr(errors))
        finally:
            driver.quit()
            server.shutdown()
    print(f"{results.passed} passed, {results.failed} failed")
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
