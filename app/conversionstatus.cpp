#include "app/conversionstatus.h"

#include "app/translation.h"

#include "convert/conversion.h"
#include "convert/publishedlists.h"
#include "data/datafiles.h"

#include <QDir>
#include <QFileInfo>

namespace
{
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
    const QStringList missingKinds = PublishedLists::missingKinds(outcome.sources.productKinds);
    if (!missingKinds.isEmpty())
        found.append(translated("注意: 薬価基準に%1がありません").arg(listed(missingKinds)));
    if (!outcome.exceptionCodes && outcome.brandsWithoutName > 0)
        found.append(translated("注意: 例外コード表がありません（一般名なし %1 品目）")
                         .arg(outcome.brandsWithoutName));
    if (!outcome.writtenInUtf8Instead.isEmpty())
        found.append(translated("注意: %1 で書けない名前があるので、一覧を UTF-8 で保存しました")
                         .arg(outcome.writtenInUtf8Instead));
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

// The file, as the user finds it.
QString shownPath(const Problem &problem)
{
    return QDir::toNativeSeparators(QFileInfo(problem.file).absoluteFilePath());
}

// What is wrong with a file that could not be opened, read or replaced.
QString fileReason(const Problem &problem)
{
    if (problem.kind == Problem::NotRegular)
        return translated("通常のファイルではありません");
    return problem.systemReason;
}

// What makes a file too large to be a list.
QString sizeReason(const Problem &problem)
{
    switch (problem.kind) {
    case Problem::LineTooLong:
        return translated("%1 文字を超える行があります").arg(problem.limit);
    case Problem::CellTooLong:
        return translated("%1 文字を超えるセルがあります").arg(problem.limit);
    case Problem::TooManyBytes:
    case Problem::PackageTooLarge:
        return translated("%1 MB を超えます").arg(problem.limit / DataFiles::mebibyte);
    case Problem::PartTooLarge:
        return translated("%1 が展開すると大きすぎます").arg(problem.part);
    case Problem::TooManyCells:
        return translated("セルが多すぎます");
    case Problem::SheetTooLarge:
        return translated("シート %1 が大きすぎます（%2 のセル）").arg(problem.part, problem.cell);
    default:
        return QString();
    }
}

// Why a workbook cannot be read.
QString workbookReason(const Problem &problem)
{
    switch (problem.kind) {
    case Problem::Encrypted:
        return translated("暗号化されているか、古い形式（.xls）のブックです");
    case Problem::NotZip:
        return translated("ブック（.xlsx）として読めません（%1）").arg(problem.systemReason);
    case Problem::NotWorkbook:
        return translated("ブック（.xlsx）ではありません");
    case Problem::PartMissing:
        return translated("%1 がありません").arg(problem.part);
    case Problem::PartUnreadable:
        if (problem.systemReason.isEmpty())
            return translated("%1 を展開できません").arg(problem.part);
        return translated("%1 を展開できません（%2）").arg(problem.part, problem.systemReason);
    case Problem::NestingTooDeep:
        return translated("%1 の入れ子が深すぎます").arg(problem.part);
    case Problem::DtdOrEntity:
        return translated("%1 に DTD や実体参照があります").arg(problem.part);
    case Problem::MalformedXml:
        return translated("%1 が壊れています（%2）").arg(problem.part, problem.systemReason);
    case Problem::PointsOutside:
        return translated("%1 がパッケージの外を指しています").arg(problem.part);
    case Problem::SheetOutside:
        return translated("シート %1 がパッケージの外を指しています").arg(problem.part);
    case Problem::MissingSharedString:
        return translated("%1 に存在しない共有文字列 %2 があります")
            .arg(problem.part, problem.cell);
    default:
        return fileReason(problem);
    }
}

bool isWorkbook(const Problem &problem)
{
    return problem.file.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
}

bool isDisplayList(const Problem &problem)
{
    return QFileInfo(problem.file).fileName() == DataFiles::displayList;
}

// What went wrong, naming the file.
QString whatWentWrong(const Problem &problem)
{
    const QString path = shownPath(problem);
    switch (problem.kind) {
    case Problem::InUse:
        return translated("%1 は他のプログラムが開いています。閉じてからもう一度「変換」を押して"
                          "ください")
            .arg(path);
    case Problem::Missing:
    case Problem::NotRegular:
    case Problem::Unopenable:
        if (isDisplayList(problem))
            return translated("%1 に書き込めません（%2）").arg(path, fileReason(problem));
        if (isWorkbook(problem))
            return translated("%1 を読めません（%2）").arg(path, fileReason(problem));
        return translated("%1 を開けません（%2）").arg(path, fileReason(problem));
    case Problem::Unwritable:
        return translated("%1 に書き込めません（%2）").arg(path, problem.systemReason);
    case Problem::ReadFailed:
        return translated("%1 を読み取れません（%2）").arg(path, problem.systemReason);
    case Problem::LineTooLong:
    case Problem::CellTooLong:
    case Problem::TooManyBytes:
    case Problem::PackageTooLarge:
    case Problem::PartTooLarge:
    case Problem::TooManyCells:
    case Problem::SheetTooLarge:
        return translated("%1 が大きすぎます（%2）").arg(path, sizeReason(problem));
    case Problem::WrongEncoding:
        return translated("%1 の文字コードが違います（文字コード %2 で読めない文字があります）。"
                          "システムの文字コードで保存し直してください")
            .arg(path, problem.encoding);
    case Problem::Encrypted:
    case Problem::NotZip:
    case Problem::NotWorkbook:
    case Problem::PartMissing:
    case Problem::PartUnreadable:
    case Problem::NestingTooDeep:
    case Problem::DtdOrEntity:
    case Problem::MalformedXml:
    case Problem::PointsOutside:
    case Problem::SheetOutside:
    case Problem::MissingSharedString:
        return translated("%1 を読めません（%2）").arg(path, workbookReason(problem));
    case Problem::ListMissing:
        return translated("%1 がなく、その一覧のブック（.xlsx）もデータフォルダにありません")
            .arg(path);
    case Problem::NothingProduced:
        return translated("%1 から薬剤を読み取れません").arg(path);
    case Problem::NoGenericNames:
        return translated("%1 から先発品の一般名が1つも見つかりません。一般名処方マスタの本体の"
                          "シートか確かめてください")
            .arg(path);
    case Problem::NoExceptionCodes:
        return translated("%1 に例外コードが1つもありません。一般名処方マスタの例外コード品目"
                          "対照表か確かめてください")
            .arg(path);
    case Problem::AmbiguousWorkbooks:
        return translated("同じ一覧のブックが2つあります（%1）。使うほうだけをデータフォルダに"
                          "置いてください")
            .arg(problem.files.join(translated(" と ")));
    }
    return path;
}
} // namespace

QString problemText(const Problem &problem)
{
    return whatWentWrong(problem) + translated("。") + translated("一覧は変わっていません");
}

QString conversionStatus(const ConversionOutcome &outcome)
{
    if (outcome.problem)
        return problemText(*outcome.problem);
    return completedText(outcome);
}
