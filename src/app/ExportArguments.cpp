#include "app/ExportArguments.h"

bool ExportArguments::AreFor(const QStringList& arguments, const QString& option)
{
    return !arguments.isEmpty() && arguments.first() == option;
}

std::optional<ExportArguments> ExportArguments::Split(const QStringList& arguments, const QString& option,
    const QString& usage, QString& error)
{
    if (arguments.size() < 2 || !AreFor(arguments, option) || arguments[1].isEmpty()) {
        error = usage;
        return std::nullopt;
    }
    ExportArguments split;
    split.output_path = arguments[1];
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
