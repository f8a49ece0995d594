#pragma once
// A translator for tests: translates nothing, but records the context and source text of every
// lookup ("Context|text"), so a test can check which translation context a form uses.

#include <QStringList>
#include <QTranslator>

class RecordingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        lookups.append(QString::fromLatin1(context) + QLatin1Char('|') + QString::fromUtf8(source));
        return QString();
    }
    mutable QStringList lookups;
};
