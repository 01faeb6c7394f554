#include "app/ApplicationOptions.h"

#include "app/NewNoteCommand.h"
#include "app/PageExport.h"
#include "app/PdfExport.h"
#include "app/ProductInfo.h"
#include "app/PublishCommandLine.h"

#include <QTextStream>

namespace {

int PrintUsage(const QStringList&)
{
    QTextStream(stdout) << ApplicationOptions::Usage();
    return ApplicationOptions::kSucceeded;
}

int PrintVersion(const QStringList&)
{
    QTextStream(stdout) << "tessary " << ProductInfo::Version() << '\n';
    return ApplicationOptions::kSucceeded;
}

using ApplicationOptions::Needs;

constexpr ApplicationOptions::Command kCommands[] {
    { NewNoteCommand::kOption, "OUT.tsy [--size WxH] IMAGE...",
        "writes a note of the images, one per page, each fitted to a page of W x H", Needs::Images,
        &NewNoteCommand::Run },
    { PageExport::kOption, "OUT [--page N] [--size WxH] [--back V] [--quality Q] NOTE.tsy",
        "renders page N of the note into an image file (.jpg, .gif, .png, .bmp or .tif)", Needs::Images,
        &PageExport::Run },
    { PdfExport::kOption, "OUT.pdf [--size WxH] [--dpi D] [--back V] NOTE.tsy",
        "writes every page of the note into one PDF file", Needs::Images, &PdfExport::Run },
    { PublishCommandLine::kOption, "OUT.tsy [--image-folder NAME] [--serial] [--yes] NOTE.tsy",
        "writes a copy of the note with copies of its images in a folder beside it", Needs::Images,
        &PublishCommandLine::Run },
    { "--help", "", "shows this text", Needs::Nothing, &PrintUsage },
    { "--version", "", "shows the version", Needs::Nothing, &PrintVersion },
};

QString CommandLine(const ApplicationOptions::Command& command)
{
    QString line = QStringLiteral("tessary ") + QLatin1String(command.option);
    if (*command.synopsis)
        line += u' ' + QLatin1String(command.synopsis);
    return line;
}

}

namespace ApplicationOptions {

std::span<const Command> Commands()
{
    return kCommands;
}

const Command* Find(const QString& option)
{
    for (const Command& command : kCommands)
        if (option == QLatin1String(command.option))
            return &command;
    return nullptr;
}

QString Usage()
{
    QString text = QStringLiteral("usage:\n  tessary [NOTE.tsy | IMAGE...]\n"
                                  "      opens the editor with the note, or with the images one per page\n");
    for (const Command& command : kCommands)
        text += QStringLiteral("  %1\n      %2\n").arg(CommandLine(command), QLatin1String(command.summary));
    return text;
}

QString UsageOf(const Command& command)
{
    return QStringLiteral("usage: ") + CommandLine(command) + u'\n';
}

}
