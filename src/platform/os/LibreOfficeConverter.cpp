#include "LibreOfficeConverter.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace tarovent::os {

namespace {

// Replies, one line each: "ready" once LibreOffice answers, then "ok" or "error: why" per job;
// "missing: package" when the UNO bridge for Python is absent.
constexpr char kDriver[] = R"PY(import ctypes.util, json, os, subprocess, sys, time, zipfile
try:
    import uno
    from com.sun.star.beans import PropertyValue
    from com.sun.star.connection import NoConnectException
    from com.sun.star.lang import DisposedException
except ImportError:
    print("missing: python3-uno", flush=True)
    sys.exit(3)

def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p

def reply(text):
    sys.stdout.write(text.replace("\n", " ") + "\n")
    sys.stdout.flush()

# Settings a converter that runs for hours needs off: recovery and autosave copies, locking,
# word completion, Java. Written once, before the first start.
SETTINGS = [
    ("Common/History", "PickListSize", "0"),
    ("Common/History", "RecentDocsThumbnail", "false"),
    ("Common/Misc", "UseLocking", "false"),
    ("Common/Misc", "UseOpenCL", "false"),
    ("Common/Misc", "FirstRun", "false"),
    ("Common/Save/Document", "AutoSave", "false"),
    ("Recovery/AutoSave", "Enabled", "false"),
    ("Recovery/RecoveryInfo", "Enabled", "false"),
    ("Linguistic/SpellChecking", "IsSpellAuto", "false"),
    ("Writer/AutoFunction/Completion", "Enable", "false"),
    ("Writer/AutoFunction/Completion", "CollectWords", "false"),
    ("Java/VirtualMachine", "Enable", "false"),
]

def write_settings(profile):
    path = os.path.join(profile, "user", "registrymodifications.xcu")
    if os.path.exists(path):
        return
    os.makedirs(os.path.dirname(path), exist_ok=True)
    items = "".join('<item oor:path="/org.openoffice.Office.%s"><prop oor:name="%s" oor:op="fuse">'
                    "<value>%s</value></prop></item>\n" % s for s in SETTINGS)
    with open(path, "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<oor:items '
                'xmlns:oor="http://openoffice.org/2001/registry" '
                'xmlns:xs="http://www.w3.org/2001/XMLSchema" '
                'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">\n' + items +
                "</oor:items>\n")

# TAROVENT_PDF_TIMES set: each conversion's steps timed on standard error.
timing = bool(os.environ.get("TAROVENT_PDF_TIMES"))

soffice, profile, pipe = sys.argv[1], sys.argv[2], sys.argv[3]
write_settings(profile)
url = "pipe,name=%s;urp;StarOffice.ComponentContext" % pipe
# Writer's import and layout spend a fifth of their time in glibc's malloc, fragmented by the
# documents loaded and freed one after another: jemalloc, when installed, cuts that.
env = dict(os.environ)
jemalloc = ctypes.util.find_library("jemalloc")
if jemalloc:
    env["LD_PRELOAD"] = " ".join(filter(None, [env.get("LD_PRELOAD"), jemalloc]))
office = subprocess.Popen([soffice, "--headless", "--invisible", "--nologo", "--norestore",
                           "--nodefault", "--nolockcheck",
                           "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
                           "--accept=" + url],
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, env=env)
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver",
                                                          local)
ctx = None
while ctx is None:
    if office.poll() is not None:
        reply("error: LibreOffice s'est arrêté au démarrage.")
        sys.exit(2)
    try:
        ctx = resolver.resolve("uno:" + url)
    except NoConnectException:
        time.sleep(0.1)
desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)

# One hidden frame serves every document, without a layout manager: a frame made per document
# had its layout manager build a status bar and toolbars, each through a library lookup that
# scans LibreOffice's whole symbol table (nine of them a document).
def new_frame():
    creator = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.TaskCreator", ctx)
    made = creator.createInstanceWithArguments((prop("IsVisible", False),
                                                prop("FrameName", "tarovent_pdf")))
    try:
        made.LayoutManager = None
    except Exception:
        pass  # slower with one, not wrong
    return made

# A Word package, whatever its extension (a quote keeps the company code as its extension), is
# named to the import filter, which spares LibreOffice its type detection; anything else is left
# to detection.
WORD = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"
def word_filter(path):
    try:
        with zipfile.ZipFile(path) as z:
            if WORD in z.read("[Content_Types].xml").decode("utf-8", "replace"):
                return [prop("FilterName", "MS Word 2007 XML")]
    except Exception:
        pass
    return []

def load(url, args):
    global frame
    if frame is None:
        frame = new_frame()
    try:
        return frame.loadComponentFromURL(url, "_self", 0, args)
    except DisposedException:
        frame = new_frame()
        return frame.loadComponentFromURL(url, "_self", 0, args)

def release(doc):
    # The frame gives the document back before it is closed, so that it stays for the next one.
    global frame
    try:
        controller = doc.getCurrentController()
        frame.setComponent(None, None)
        if controller is not None:
            controller.dispose()
    except Exception:
        frame = None
    try:
        doc.close(True)
    except Exception:
        pass

frame = None
reply("ready")
try:
    for line in sys.stdin:
        if not line.strip():
            continue
        job = json.loads(line)
        doc = None
        started = loaded = stored = time.monotonic()
        try:
            # No macros, no links updated: the document is only printed.
            doc = load(uno.systemPathToFileUrl(job["in"]),
                       tuple([prop("Hidden", True), prop("ReadOnly", True),
                              prop("MacroExecutionMode", 0), prop("UpdateDocMode", 0)] +
                             word_filter(job["in"])))
            loaded = time.monotonic()
            if doc is None:
                reply("error: LibreOffice ne sait pas lire ce document.")
                continue
            data = [prop("ExportBookmarks", False), prop("ExportNotes", False),
                    prop("ExportFormFields", False), prop("ReduceImageResolution", False)]
            if job.get("range"):
                data.append(prop("PageRange", job["range"]))
            doc.storeToURL(uno.systemPathToFileUrl(job["out"]),
                           (prop("FilterName", "writer_pdf_Export"),
                            prop("FilterData",
                                 uno.Any("[]com.sun.star.beans.PropertyValue", tuple(data)))))
            stored = time.monotonic()
            # The PDF is complete: the caller need not wait for the document to close.
            reply("ok")
        except Exception as e:
            reply("error: " + str(e))
        finally:
            if doc is not None:
                release(doc)
            if timing and doc is not None:
                sys.stderr.write("pdf: load %d ms, store %d ms, close %d ms\n" % (
                    (loaded - started) * 1000, (stored - loaded) * 1000,
                    (time.monotonic() - stored) * 1000))
                sys.stderr.flush()
            # Released now, so that LibreOffice frees the document while the caller is busy,
            # not when the next one is being loaded.
            doc = None
finally:
    try:
        desktop.terminate()
    except Exception:
        pass
    try:
        office.wait(10)
    except subprocess.TimeoutExpired:
        office.kill()
)PY";

// The Python that has the distribution's UNO bridge (a private Python on PATH usually lacks it).
QString systemPython() {
  for (const char* p : {"/usr/bin/python3", "/usr/local/bin/python3"})
    if (QFileInfo::exists(QString::fromLatin1(p))) return QString::fromLatin1(p);
  return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

}  // namespace

LibreOfficeConverter::LibreOfficeConverter(QString profileFolder, QString soffice, QObject* parent)
    : PdfConverter(parent), m_profile(std::move(profileFolder)), m_soffice(std::move(soffice)) {
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, &LibreOfficeConverter::timedOut);
}

LibreOfficeConverter::~LibreOfficeConverter() { stop(); }

void LibreOfficeConverter::setDriver(const QString& program, const QStringList& arguments) {
  m_program = program;
  m_arguments = arguments;
}

bool LibreOfficeConverter::running() const {
  return m_driver && m_driver->state() == QProcess::Running && m_ready;
}

void LibreOfficeConverter::stop() {
  m_timer.stop();
  if (!m_driver) return;
  QProcess* driver = m_driver;
  m_driver = nullptr;
  driver->disconnect(this);
  if (driver->state() != QProcess::NotRunning) {
    // End of input: the driver closes LibreOffice and leaves; killed when it lingers.
    driver->closeWriteChannel();
    if (!driver->waitForFinished(8000)) {
      ::kill(-pid_t(driver->processId()), SIGKILL);
      driver->waitForFinished(2000);
    }
  }
  delete driver;
  m_ready = false;
}

bool LibreOfficeConverter::launch(QString* error) {
  QString program = m_program;
  QStringList arguments = m_arguments;
  if (program.isEmpty()) {
    const QString soffice =
        m_soffice.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("soffice")) : m_soffice;
    if (soffice.isEmpty() || !QFileInfo(soffice).isExecutable()) {
      *error = libreOfficeMissingMessage();
      return false;
    }
    program = systemPython();
    if (program.isEmpty()) {
      *error = QStringLiteral(
          "Python 3 est introuvable : installez le paquet python3-uno pour créer des fichiers "
          "PDF.");
      return false;
    }
    QDir().mkpath(m_profile);
    const QString script = QDir(m_profile).filePath(QStringLiteral("convert.py"));
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(kDriver) < 0) {
      *error = QStringLiteral("Le dossier %1 n'est pas accessible en écriture.").arg(m_profile);
      return false;
    }
    f.close();
    static int serial = 0;
    const QString pipe = QStringLiteral("tarovent_pdf_%1_%2").arg(getpid()).arg(++serial);
    arguments = {script, soffice, QDir(m_profile).filePath(QStringLiteral("profil")), pipe};
  }
  m_driver = new QProcess(this);
  // Its own process group, so that a kill reaches LibreOffice too.
  m_driver->setChildProcessModifier([] { ::setsid(); });
  m_driver->setProcessChannelMode(QProcess::SeparateChannels);
  if (qEnvironmentVariableIsEmpty("TAROVENT_PDF_TIMES"))
    m_driver->setStandardErrorFile(QProcess::nullDevice());
  else
    m_driver->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  connect(m_driver, &QProcess::readyReadStandardOutput, this, &LibreOfficeConverter::readReplies);
  connect(m_driver, &QProcess::finished, this, &LibreOfficeConverter::driverEnded);
  connect(m_driver, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) driverEnded();
  });
  m_ready = false;
  m_driver->start(program, arguments);
  return true;
}

void LibreOfficeConverter::start(const PdfJob& job) {
  m_job = job;
  m_pending = true;
  m_timer.start(m_timeLimit);
  if (m_driver && m_driver->state() == QProcess::NotRunning) stop();
  if (!m_driver) {
    QString error;
    if (!launch(&error)) {
      // Reported from the event loop, as every outcome is.
      QMetaObject::invokeMethod(
          this, [this, error] { fail(error); }, Qt::QueuedConnection);
      return;
    }
  }
  if (m_ready) send();
}

void LibreOfficeConverter::send() {
  QJsonObject o{{"in", QFileInfo(m_job.document).absoluteFilePath()},
                {"out", QFileInfo(m_job.pdf).absoluteFilePath()}};
  if (!m_job.wholeDocument()) o.insert("range", m_job.pageRange());
  m_driver->write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
}

void LibreOfficeConverter::readReplies() {
  while (m_driver && m_driver->canReadLine()) {
    const QString line = QString::fromUtf8(m_driver->readLine()).trimmed();
    if (line == QLatin1String("ready")) {
      m_ready = true;
      if (m_pending) send();
    } else if (line.startsWith(QLatin1String("missing: "))) {
      const QString package = line.mid(9);
      killAll();
      fail(QStringLiteral("Le module Python de LibreOffice est introuvable : installez le paquet "
                          "%1 pour créer des fichiers PDF.")
               .arg(package));
    } else if (m_pending && (line == QLatin1String("ok") || line.startsWith("error: "))) {
      m_timer.stop();
      m_pending = false;
      finished(line == QLatin1String("ok")
                   ? QString()
                   : QStringLiteral("La conversion en PDF a échoué : %1").arg(line.mid(7)));
    }
  }
}

void LibreOfficeConverter::driverEnded() {
  // Cleaned up from the event loop: we may be inside one of the process's own signals.
  if (m_driver) {
    m_driver->disconnect(this);
    m_driver->deleteLater();
    m_driver = nullptr;
  }
  m_ready = false;
  if (m_pending) fail(QStringLiteral("LibreOffice s'est arrêté pendant la conversion en PDF."));
}

void LibreOfficeConverter::timedOut() {
  if (!m_pending) return;
  killAll();
  fail(QStringLiteral("La conversion en PDF n'a pas abouti en %1 secondes : LibreOffice a été "
                      "arrêté. Réessayez ; un nouveau LibreOffice sera démarré.")
           .arg((m_timeLimit + 999) / 1000));
}

void LibreOfficeConverter::killAll() {
  if (!m_driver) return;
  QProcess* driver = m_driver;
  m_driver = nullptr;
  driver->disconnect(this);
  if (driver->state() != QProcess::NotRunning) {
    ::kill(-pid_t(driver->processId()), SIGKILL);
    driver->waitForFinished(3000);
  }
  driver->deleteLater();
  m_ready = false;
}

void LibreOfficeConverter::fail(const QString& message) {
  m_timer.stop();
  if (!m_pending) return;
  m_pending = false;
  finished(message);
}

}  // namespace tarovent::os
