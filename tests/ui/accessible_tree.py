"""The real program as a screen reader reads it through AT-SPI: every focusable object has a name and every input
field a label relation, the main window is a frame, the editor opens on its number field and tells its outline in
words. Starts itself under Xvfb with a session bus; exit 77 where those tools are missing. Args: QUILLMARK SOURCE_DIR"""
import os, re, shutil, subprocess, sys, tempfile, time

if "QM_UNDER_XVFB" not in os.environ:
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        sys.exit(print("skipped: no pyatspi") or 77)
    if not all(map(shutil.which, ["xvfb-run", "dbus-run-session"])) or \
            not os.path.exists("/usr/share/dbus-1/services/org.a11y.Bus.service"):
        sys.exit(print("skipped: no xvfb-run, dbus-run-session or at-spi2-core") or 77)
    os.environ["QM_UNDER_XVFB"] = "1"
    # The search for a free display starts at a random number: other tests may be starting one at the same moment.
    # No reset of the server when its last client leaves (the accessibility bus's launcher looks at the display and
    # goes): a reset refuses the program's connection.
    os.execvp("xvfb-run", ["xvfb-run", "-a", "-n", str(100 + os.getpid() % 800), "-s", "-screen 0 1280x1024x24 -noreset",
                           "dbus-run-session", "--", sys.executable] + sys.argv)

import pyatspi

program, source = sys.argv[1:3]
mes = open(os.path.join(source, "resources/Quillmark.mes"), "rb").read().decode("cp932")
message = lambda n: re.search(r'GSTR\(%d\) = "(.*)"' % n, mes).group(1)
problems = []


def wait_for(find, what):
    for _ in range(100):
        found = find()
        if found:
            return found
        time.sleep(0.2)
    sys.exit("no " + what)


def walk(obj):
    yield obj
    for child in obj:
        if child is not None:
            yield from walk(child)


def settled(look):
    """What look() finds wrong once it finds nothing, or after 20 s: the program answers as it gets to it."""
    for _ in range(100):
        found = look()
        if not found:
            return []
        time.sleep(0.2)
    return found


def check(window):  # (Qt's lists report no label relation at all: named, they pass)
    def look():
        found = []
        for obj in walk(window):
            if obj.getState().contains(pyatspi.STATE_FOCUSABLE) and not obj.name:
                found.append("%s in %r has no name" % (obj.getRoleName(), window.name))
            if obj.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_COMBO_BOX) and not any(
                    r.getRelationType() == pyatspi.RELATION_LABELLED_BY for r in obj.getRelationSet()):
                found.append("%s %r has no label" % (obj.getRoleName(), obj.name))
        return found
    problems.extend(settled(look))


work = tempfile.mkdtemp()
for f in [program, os.path.join(source, "resources/Quillmark.mes"), os.path.join(source, "examples/sample.mtl")]:
    shutil.copy(f, work)
open(os.path.join(work, "Quillmark.ini"), "w").close()  # settings beside the program, not the user's
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
env.pop("QT_QPA_PLATFORM", None)  # the test runner's offscreen platform has no AT-SPI
proc = subprocess.Popen([os.path.join(work, "quillmark"), os.path.join(work, "sample.mtl")], env=env)
try:
    app = wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                                 if a is not None and a.name == "quillmark" and a.childCount), None), "program")
    main = app[0]
    if main.getRole() != pyatspi.ROLE_FRAME:
        problems.append("the main window is a %s, not a frame" % main.getRoleName())
    check(main)
    # Pick the first attachment and press Edit, as a screen reader user would.
    rows = next(o for o in walk(main) if o.getRole() == pyatspi.ROLE_LIST and o.name == message(20))
    if not rows[0].name.startswith("ATTACHMENT01 = SQUARE/"):  # each row is read as its line
        problems.append("the first attachment row reads %r" % rows[0].name)
    rows[0].queryAction().doAction(0)
    wait_for(lambda: rows[0].getState().contains(pyatspi.STATE_SELECTED), "selected row")
    next(o for o in walk(main) if o.name == message(26)).queryAction().doAction(0)
    editor = wait_for(lambda: next((w for w in app if w.getRole() == pyatspi.ROLE_DIALOG), None), "editor")
    check(editor)
    focused = lambda: [o.name for o in walk(editor) if o.getState().contains(pyatspi.STATE_FOCUSED)]
    problems.extend(settled(lambda: [] if focused() == [message(30)] else
                            ["the editor opens with the focus on %s" % focused()]))
    picture = next(o for o in walk(editor) if o.getRole() == pyatspi.ROLE_IMAGE)
    problems.extend(settled(lambda: [] if all(n in picture.description for n in ("3", "200", "190"))  # stages, widest,
                            else ["the outline is described as %r" % picture.description]))  # height
finally:
    proc.kill()
    shutil.rmtree(work)
print("\n".join(problems) or "every focusable object named, every field labelled")
sys.exit(1 if problems else 0)
