#include "app/conversionstatus.h"

#include "convert/conversion.h"
#include "data/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace
{
QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString listed(const QStringList &items)
{
    return items.join(translated("・"));
}

QString productSource(const ConversionSources &sources)
{
    if (sources.priceListWorkbooks.isEmpty())
        return translated("薬価基準: %1").arg(DataFiles::productList);
    return translated("薬価基準: ブック %1 冊（%2）")
        .arg(sources.priceListWorkbooks.size())
        .arg(listed(sources.productKinds));
}

QString masterSource(const ConversionSources &sources, bool exceptionsTookPart)
{
    QStringList files{sources.masterWorkbook.isEmpty() ? DataFiles::genericNameList
                                                       : sources.masterWorkbook};
    if (!sources.exceptionsWorkbook.isEmpty() && sources.exceptionsWorkbook != files.first())
        files.append(translated("%1 の例外コード表").arg(sources.exceptionsWorkbook));
    else if (exceptionsTookPart && sources.exceptionsWorkbook.isEmpty())
        files.append(DataFiles::exceptionList);
    QString text = translated("一般名処方マスタ: %1").arg(listed(files));
    if (!sources.masterDate.isEmpty())
        text += translated("（%1）").arg(sources.masterDate);
    return text;
}

QStringList warnings(const ConversionOutcome &outcome)
{
    QStringList found;
    QStringList missingKinds;
    for (const char *kind : {"内用薬", "注射薬", "外用薬"})
        if (!outcome.sources.productKinds.contains(QString::fromUtf8(kind)))
            missingKinds.append(translated(kind));
    if (!missingKinds.isEmpty())
        found.append(translated("注意: 薬価基準に%1がありません").arg(listed(missingKinds)));
    if (!outcome.exceptionCodes && outcome.brandsWithoutName > 0)
        found.append(translated("注意: 例外コード表がありません（一般名なし %1 品目）")
                         .arg(outcome.brandsWithoutName));
    if (!outcome.sources.passedOver.isEmpty())
        found.append(translated("注意: %1 は使っていません（CSV ファイルを使いました）")
                         .arg(listed(outcome.sources.passedOver)));
    return found;
}

QString completedText(const ConversionOutcome &outcome)
{
    QStringList parts;
    if (outcome.exceptionCodes)
        parts.append(translated("変換しました: %1 件（例外コード表 %2 品目）")
                         .arg(outcome.linesWritten)
                         .arg(*outcome.exceptionCodes));
    else
        parts.append(translated("変換しました: %1 件（例外コード表 reigai.csv なし）")
                         .arg(outcome.linesWritten));
    // What to watch for comes before the sources: a narrow status bar cuts
    // the end of the text.
    parts += warnings(outcome);
    parts.append(productSource(outcome.sources));
    parts.append(masterSource(outcome.sources, bool(outcome.exceptionCodes)));
    return parts.join(translated("。"));
}

QString failureText(const ConversionOutcome &outcome)
{
    const QString path = shownPath(outcome.path);
    const QString unchanged = translated("一覧は変わっていません");
    QString what;
    switch (outcome.ending) {
    case ConversionEnding::Completed:
        break;
    case ConversionEnding::ListMissing:
        what = translated("%1 がなく、その一覧のブック（.xlsx）もデータフォルダにありません")
                   .arg(path);
        break;
    case ConversionEnding::ListUnopenable:
    case ConversionEnding::NotRegularFile:
        what = translated("%1 を開けません（%2）").arg(path, outcome.reason);
        break;
    case ConversionEnding::DisplayListUnwritable:
        what = translated("%1 に書き込めません（%2）").arg(path, outcome.reason);
        break;
    case ConversionEnding::ReadFailed:
        what = translated("%1 を読み取れません（%2）").arg(path, outcome.reason);
        break;
    case ConversionEnding::TooLarge:
        what = translated("%1 が大きすぎます（%2）").arg(path, outcome.reason);
        break;
    case ConversionEnding::WrongEncoding:
        what = translated("%1 の文字コードが違います（%2）。システムの文字コードで保存し直して"
                          "ください")
                   .arg(path, outcome.reason);
        break;
    case ConversionEnding::NoGenericNames:
        what = translated("%1 から先発品の一般名が1つも見つかりません。一般名処方マスタの本体の"
                          "シートか確かめてください")
                   .arg(path);
        break;
    case ConversionEnding::NoExceptionCodes:
        what = translated("%1 に例外コードが1つもありません。一般名処方マスタの例外コード品目"
                          "対照表か確かめてください")
                   .arg(path);
        break;
    case ConversionEnding::NothingProduced:
        what = translated("%1 から薬剤を読み取れません").arg(path);
        break;
    case ConversionEnding::BadWorkbook:
        what = translated("%1 を読めません（%2）").arg(path, outcome.reason);
        break;
    case ConversionEnding::AmbiguousWorkbooks:
        what = translated("同じ一覧のブックが2つあります（%1）。使うほうだけをデータフォルダに"
                          "置いてください")
                   .arg(outcome.reason);
        break;
    }
    return what + translated("。") + unchanged;
}
} // namespace

QString conversionStatus(const ConversionOutcome &outcome)
{
    if (outcome.ending == ConversionEnding::Completed)
        return completedText(outcome);
    return failureText(outcome);
}
