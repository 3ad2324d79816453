"""Keeps one headless office running and converts documents to PDF in it.

Findolin's document converter runs this as

    /usr/bin/python3 -c <this file> SOFFICE PROFILE_URL

It starts the office with the given profile, connects to it over a pipe of its own and then
reads one request a line from standard input: the document's file URL and the PDF's file URL,
separated by a blank (both percent-encoded, so neither holds one). Each request is answered with
a line "ok" or "failed". "ready" is written once the office answers, so the converter can tell a
bridge that never works here (no python3-uno, an office that does not start) from one that died
later. At the end of the input the office is closed.

Starting the office takes a second or more; loading and storing a page or two in a running one,
some tens of milliseconds.
"""

import os
import signal
import subprocess
import sys
import time
import uuid

try:
    import uno
    from com.sun.star.beans import PropertyValue
    from com.sun.star.connection import NoConnectException
except Exception:  # no python3-uno for this Python
    sys.exit(3)

# The document's kind, by the service its model offers, and the PDF filter for it. The more
# special kinds come first: a presentation is a drawing document too.
PDF_FILTERS = (
    ("com.sun.star.presentation.PresentationDocument", "impress_pdf_Export"),
    ("com.sun.star.drawing.DrawingDocument", "draw_pdf_Export"),
    ("com.sun.star.sheet.SpreadsheetDocument", "calc_pdf_Export"),
    ("com.sun.star.text.WebDocument", "writer_web_pdf_Export"),
    ("com.sun.star.text.GlobalDocument", "writer_globaldocument_pdf_Export"),
    ("com.sun.star.text.TextDocument", "writer_pdf_Export"),
    ("com.sun.star.formula.FormulaProperties", "math_pdf_Export"),
)


def properties(**values):
    result = []
    for name, value in values.items():
        prop = PropertyValue()
        prop.Name = name
        prop.Value = value
        result.append(prop)
    return tuple(result)


def start_office(soffice, profile, pipe):
    # Its output must not reach ours, which carries the answers.
    return subprocess.Popen(
        [
            soffice,
            "--headless",
            "--invisible",
            "--norestore",
            "--nologo",
            "--nodefault",
            "--accept=pipe,name=%s;urp;" % pipe,
            "-env:UserInstallation=" + profile,
        ],
        stdin=subprocess.DEVNULL,
        stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL,
    )


def connect(office, pipe):
    """The office's desktop, once it accepts; None when it ended first."""
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local
    )
    url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe
    while office.poll() is None:
        try:
            context = resolver.resolve(url)
        except NoConnectException:
            time.sleep(0.05)
            continue
        return context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context
        )
    return None


def convert(desktop, source, target):
    # Hidden and read-only, with no macro run and no link updated: a preview must not change
    # anything, nor be kept waiting by a question nobody sees.
    document = desktop.loadComponentFromURL(
        source,
        "_blank",
        0,
        properties(
            Hidden=True,
            ReadOnly=True,
            MacroExecutionMode=uno.getConstantByName(
                "com.sun.star.document.MacroExecMode.NEVER_EXECUTE"
            ),
            UpdateDocMode=uno.getConstantByName(
                "com.sun.star.document.UpdateDocMode.NO_UPDATE"
            ),
        ),
    )
    if document is None:
        return False
    try:
        pdf_filter = next(
            (f for service, f in PDF_FILTERS if document.supportsService(service)), None
        )
        if pdf_filter is None:
            return False
        document.storeToURL(target, properties(FilterName=pdf_filter))
        return True
    finally:
        try:
            document.close(True)
        except Exception:  # vetoed: gone all the same
            document.dispose()


def office_answers(office, desktop):
    if office.poll() is not None:
        return False
    try:
        desktop.getComponents()
        return True
    except Exception:
        return False


def answer(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


def end_office(office, desktop):
    if office.poll() is None and desktop is not None:
        try:
            desktop.terminate()
            office.wait(5)
        except Exception:
            pass
    # Whatever is left of it dies with the process group the converter started this bridge in.
    if office.poll() is None and os.getpgid(0) == os.getpid():
        os.killpg(0, signal.SIGKILL)


def main():
    soffice, profile = sys.argv[1], sys.argv[2]
    pipe = "findolin-" + uuid.uuid4().hex
    office = start_office(soffice, profile, pipe)
    desktop = None
    try:
        desktop = connect(office, pipe)
        if desktop is None:
            return 3
        answer("ready")
        for line in sys.stdin:
            request = line.split()
            if len(request) != 2:
                answer("failed")
                continue
            try:
                ok = convert(desktop, request[0], request[1])
            except Exception:
                # A document the office cannot read, or the office itself gone; in that case
                # the converter sees this bridge end and starts another for the next request.
                if not office_answers(office, desktop):
                    return 1
                ok = False
            answer("ok" if ok else "failed")
        return 0
    finally:
        end_office(office, desktop)


if __name__ == "__main__":
    sys.exit(main())
