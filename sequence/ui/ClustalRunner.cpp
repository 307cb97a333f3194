#include "sequence/ui/ClustalRunner.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <sstream>

#include "platform/errors/Error.h"
#include "shell/core/mQuorin.h"

namespace sequence {

namespace {

constexpr const char* Source = "SeqAlign";

std::string tail(const QByteArray& output)
{
    std::string text = output.toStdString();
    if (text.size() > 600) {
        text = "..." + text.substr(text.size() - 600);
    }
    return text;
}

} // namespace

ClustalRunner::ClustalRunner() : ClustalRunner("clustalw")
{
    auto& ini = mQuorin::Program().gIni();
    const std::string configured = ini.ReadIni("Sequence Retrieval", "Aligner", ini.fileName());
    if (!configured.empty()) {
        m_program = configured;
    }
}

ClustalRunner::ClustalRunner(std::string program, int timeoutSeconds)
    : m_program(std::move(program)), m_timeoutSeconds(timeoutSeconds)
{
}

std::vector<std::string> ClustalRunner::Arguments(const std::string& commandLine)
{
    std::vector<std::string> args;
    std::istringstream words(commandLine);
    std::string word;
    bool first = true;
    while (words >> word) {
        if (first && word[0] != '/') {
            args.push_back("-infile=" + word);
            first = false;
            continue;
        }
        first = false;
        if (word[0] == '/') {
            word[0] = '-';
        }
        if (word == "-type=d") {
            word = "-type=dna";
        } else if (word == "-type=p") {
            word = "-type=protein";
        }
        args.push_back(word);
    }
    args.push_back("-outfile=clustal.aln");
    args.push_back("-outorder=input");
    return args;
}

void ClustalRunner::run(const std::filesystem::path& folder, const std::string& commandLine)
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args;
    for (const auto& a : Arguments(commandLine)) {
        args << QString::fromStdString(a);
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            loop.quit();
        }
    });
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        process.kill();
    });
    process.start(QString::fromStdString(m_program), args);
    if (!process.waitForStarted(30000)) {
        throw platform::Error(platform::err::FileNotFound, Source,
                              "The aligner \"" + m_program + "\" could not be started.");
    }
    timer.start(m_timeoutSeconds * 1000);
    if (process.state() != QProcess::NotRunning) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    timer.stop();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
    const std::string output = tail(process.readAll());
    if (timedOut) {
        throw platform::Error(platform::err::InvalidCall, Source,
                              "The aligner did not finish within " + std::to_string(m_timeoutSeconds) + " seconds.");
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        throw platform::Error(platform::err::InvalidCall, Source,
                              "The aligner ended with code " + std::to_string(process.exitCode()) + ":\r\n" + output);
    }
}

} // namespace sequence
