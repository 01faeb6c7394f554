#include "app/ExportArguments.h"

#include "app/Settings.h"

bool ExportArguments::AreFor(const QStringList& arguments, const QString& option)
{
    return !arguments.isEmpty() && arguments.first() == option;
}

std::optional<QString> ExportArguments::OutputPath(const QStringList& arguments, const QString& option, QString& error)
{
    if (!AreFor(arguments, option) || arguments.size() < 2 || arguments[1].isEmpty()) {
        error = QStringLiteral("%1 needs an output file").arg(option);
        return std::nullopt;
    }
    if (arguments[1].startsWith(QLatin1String("--"))) {
        error = QStringLiteral("%1 needs an output file before %2").arg(option, arguments[1]);
        return std::nullopt;
    }
    return arguments[1];
}

std::optional<ExportArguments> ExportArguments::Split(const QStringList& arguments, const QString& option,
    const QStringList& names, QString& error)
{
    const auto output_path = OutputPath(arguments, option, error);
    if (!output_path)
        return std::nullopt;
    ExportArguments split;
    split.output_path = *output_path;
    for (qsizetype index = 2; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (!argument.startsWith(QLatin1String("--"))) {
            if (!split.note_path.isEmpty()) {
                error = QStringLiteral("more than one note given: %1").arg(argument);
                return std::nullopt;
            }
            split.note_path = argument;
            continue;
        }
        if (!names.contains(argument)) {
            error = QStringLiteral("unknown option: %1").arg(argument);
            return std::nullopt;
        }
        if (index + 1 >= arguments.size()) {
            error = QStringLiteral("%1 needs a value").arg(argument);
            return std::nullopt;
        }
        split.values.emplace_back(argument, arguments[++index]);
    }
    if (split.note_path.isEmpty()) {
        error = QStringLiteral("no note given to export");
        return std::nullopt;
    }
    return split;
}

std::optional<int> ExportArguments::IntIn(const QString& text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<QSize> ExportArguments::SizeUpTo(const QString& text, int max_side)
{
    const QStringList sides = text.split(QLatin1Char('x'));
    if (sides.size() != 2)
        return std::nullopt;
    const auto width = IntIn(sides[0], 1, max_side);
    const auto height = IntIn(sides[1], 1, max_side);
    if (!width || !height)
        return std::nullopt;
    return QSize(*width, *height);
}

QSize ExportArguments::DefaultPageSize(int max_side)
{
    const auto kept = Settings::PageSize();
    if (kept && kept->width() <= max_side && kept->height() <= max_side)
        return *kept;
    return QSize(800, 600);
}
