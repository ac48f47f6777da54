#pragma once

#include <QByteArray>

class QImage;
struct lxw_worksheet;

// The workbook the chart export makes: one worksheet with the chart picture at its top left
// cell, fitted to print on one page.

// The picture as the workbook holds it: PNG, the same pixels, compressed, shown by every
// spreadsheet program. Raises RuntimeError 481 for a picture that cannot be encoded.
QByteArray workbookPicture(const QImage &picture);

// Places `png` at the worksheet's top left cell. The bytes must stay alive until the
// workbook is closed. Raises RuntimeError 1004 when the library refuses the picture.
void placeChartPicture(lxw_worksheet *worksheet, const QByteArray &png);

// Writes such a workbook at `fileName` (a new file of the caller's). Raises RuntimeError 481
// or 1004 as above, or 57 when the workbook cannot be written.
void writeChartWorkbook(const QImage &picture, const QByteArray &fileName);
