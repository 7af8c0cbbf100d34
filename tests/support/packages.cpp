#include "support/packages.h"

#include <KZip>

#include <QBuffer>
#include <QStringList>

QByteArray zipPackage(const QMap<QString, QByteArray> &parts)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        KZip zip(&buffer);
        if (!zip.open(QIODevice::WriteOnly))
            qFatal("cannot write a zip package");
        for (auto it = parts.constBegin(); it != parts.constEnd(); ++it)
            zip.writeFile(it.key(), it.value());
        zip.close();
    }
    return buffer.data();
}

QMap<QString, QByteArray> workbookParts(const QByteArray &sheetData, const QByteArray &sharedItems,
                                        const QString &sheetName)
{
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray pkg = "http://schemas.openxmlformats.org/package/2006/relationships";
    QMap<QString, QByteArray> parts;
    parts["_rels/.rels"] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"" +
                           pkg + "\"><Relationship Id=\"rId1\" Type=\"" + rel +
                           "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    parts["xl/workbook.xml"] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"" +
                               main + "\" xmlns:r=\"" + rel + "\"><sheets><sheet name=\"" +
                               sheetName.toUtf8() +
                               "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    QByteArray rels = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"" + pkg +
                      "\"><Relationship Id=\"rId1\" Type=\"" + rel +
                      "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    if (!sharedItems.isNull()) {
        rels += "<Relationship Id=\"rId2\" Type=\"" + rel +
                "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts["xl/sharedStrings.xml"] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"" +
                                        main + "\">" + sharedItems + "</sst>";
    }
    parts["xl/_rels/workbook.xml.rels"] = rels + "</Relationships>";
    parts["xl/worksheets/sheet1.xml"] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
                                        "xmlns=\"" +
                                        main + "\"><sheetData>" + sheetData +
                                        "</sheetData></worksheet>";
    return parts;
}

QByteArray inlineRow(const QStringList &cells)
{
    QByteArray row = "<row>";
    for (const QString &cell : cells)
        row += "<c t=\"inlineStr\"><is><t>" + cell.toHtmlEscaped().toUtf8() + "</t></is></c>";
    return row + "</row>";
}
