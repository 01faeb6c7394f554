#include "app/PublishCommandLine.h"

#include "app/ExportArguments.h"
#include "app/ImageWarnings.h"
#include "document/NoteFileReader.h"
#include "document/OutputGuard.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

std::optional<PublishCommandLine::Options> PublishCommandLine::ParseArguments(const QStringList& arguments, QString& error)
{
    Options options;
    options.settings.image_folder_name = QStringLiteral("images");
    const auto output_path = ExportArguments::OutputPath(arguments, QLatin1String(kOption), error);
    if (!output_path)
        return std::nullopt;
    options.settings.note_path = QFileInfo(*output_path).absoluteFilePath();
    for (int index = 2; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (argument == u"--serial") {
            options.settings.naming = CopyNaming::Serial;
        } else if (argument == u"--yes") {
            options.empty_existing_folder = true;
        } else if (argument == u"--image-folder") {
            const QString name = index + 1 < arguments.size() ? arguments[++index] : QString();
            if (!Publisher::IsImageFolderName(name)) {
                error = QStringLiteral("--image-folder needs a folder name: %1").arg(name);
                return std::nullopt;
            }
            options.settings.image_folder_name = name;
        } else if (argument.startsWith(u"--")) {
            error = QStringLiteral("unknown option: %1").arg(argument);
            return std::nullopt;
        } else if (!options.note_path.isEmpty()) {
            error = QStringLiteral("more than one note given: %1").arg(argument);
            return std::nullopt;
        } else {
            options.note_path = QFileInfo(argument).absoluteFilePath();
        }
    }
    if (options.note_path.isEmpty()) {
        error = QStringLiteral("no note given to publish");
        return std::nullopt;
    }
    return options;
}

bool PublishCommandLine::Publish(const Options& options, QStringList& errors, ImageWarnings* unread)
{
    const NoteFileReader::Result note = NoteFileReader::Read(options.note_path);
    if (!note.IsRead()) {
        errors << note.CommandLineText(options.note_path);
        return false;
    }
    Publisher publisher(note.pages, NoteFileReader::PageFolderOf(options.note_path), options.settings, options.note_path);
    publisher.SetPageSize(note.page_size);
    const QString folder = QDir::cleanPath(publisher.ImageFolderPath());
    if (const QStringList endangered = publisher.EndangeredFiles(); !endangered.isEmpty()) {
        for (const QString& path : endangered)
            errors << QStringLiteral("will not empty %1: it holds %2, which the note uses").arg(folder, path);
        return false;
    }
    if (publisher.ImageFolderExists() && !options.empty_existing_folder) {
        errors << QStringLiteral("the image folder %1 exists; give --yes to empty it").arg(folder);
        return false;
    }
    if (!publisher.PrepareImageFolder()) {
        errors << QStringLiteral("cannot make the image folder %1").arg(folder);
        return false;
    }
    publisher.Publish();
    for (const QString& path : publisher.LeftInFolder())
        errors << QStringLiteral("cannot delete %1 from the former image folder").arg(path);
    if (unread) {
        for (const QString& source : publisher.Sources())
            if (!ImageWarnings::Loads(source))
                unread->Add(source);
    }
    for (const Publisher::Problem& problem : publisher.Problems()) {
        if (problem.source.isEmpty())
            errors << QStringLiteral("cannot write the note %1: %2").arg(problem.target, problem.reason);
        // A missing image has nothing to copy: it is named among the images that do not load.
        else if (QFileInfo(problem.source).isFile())
            errors << QStringLiteral("cannot copy %1 to %2: %3").arg(problem.source, problem.target, problem.reason);
    }
    return errors.isEmpty();
}

int PublishCommandLine::Run(const QStringList& arguments)
{
    QString error;
    const auto options = ParseArguments(arguments, error);
    if (!options) {
        QTextStream(stderr) << "tessary: " << error << '\n';
        return kBadArguments;
    }
    if (const auto verdict = OutputGuard::CheckNoteFile(options->settings.note_path, options->note_path); verdict.IsRefused()) {
        QTextStream(stderr) << "tessary: " << OutputGuard::CommandLineText(verdict, options->settings.note_path) << '\n';
        return kBadArguments;
    }
    QStringList errors;
    ImageWarnings unread;
    const bool published = Publish(*options, errors, &unread);
    unread.Print();
    if (published)
        return kSucceeded;
    QTextStream err(stderr);
    for (const QString& line : errors)
        err << "tessary: " << line << '\n';
    return kFailed;
}
