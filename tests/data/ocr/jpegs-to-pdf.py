#!/usr/bin/env python3
"""Writes an image-only PDF, one A4 page per JPEG (taken as 300 dpi scans), as a scanner does;
   a page given as text:WORDS is a page with a text layer instead (Helvetica, not embedded).
   jpegs-to-pdf.py OUT.pdf PAGE.jpg|text:WORDS..."""
import struct
import sys


def jpeg_size(data):
    i = 2
    while i < len(data):
        marker, length = data[i + 1], struct.unpack('>H', data[i + 2:i + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            h, w = struct.unpack('>HH', data[i + 5:i + 9])
            return w, h
        i += 2 + length
    raise ValueError('no frame header')


def main(out, pages):
    objects = [b'<< /Type /Catalog /Pages 2 0 R >>', None]
    kids = []
    for path in pages:
        if path.startswith('text:'):
            words = path[5:].encode('latin-1')
            content = b'BT /F1 12 Tf 72 760 Td (' + words + b') Tj ET'
            objects.append(b'<< /Length %d >>\nstream\n' % len(content) + content + b'\nendstream')
            objects.append(b'<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] '
                           b'/Resources << /Font << /F1 << /Type /Font /Subtype /Type1 '
                           b'/BaseFont /Helvetica >> >> >> /Contents %d 0 R >>' % len(objects))
            kids.append(b'%d 0 R' % len(objects))
            continue
        data = open(path, 'rb').read()
        w, h = jpeg_size(data)
        pw, ph = w * 72 / 300, h * 72 / 300
        image = len(objects) + 1
        objects.append(b'<< /Type /XObject /Subtype /Image /Width %d /Height %d '
                       b'/ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode '
                       b'/Length %d >>\nstream\n' % (w, h, len(data)) + data + b'\nendstream')
        content = b'q %.2f 0 0 %.2f 0 0 cm /Im0 Do Q' % (pw, ph)
        objects.append(b'<< /Length %d >>\nstream\n' % len(content) + content + b'\nendstream')
        objects.append(b'<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %.2f %.2f] '
                       b'/Resources << /XObject << /Im0 %d 0 R >> >> /Contents %d 0 R >>'
                       % (pw, ph, image, image + 1))
        kids.append(b'%d 0 R' % len(objects))
    objects[1] = b'<< /Type /Pages /Kids [' + b' '.join(kids) + b'] /Count %d >>' % len(kids)
    body = bytearray(b'%PDF-1.4\n%\xe2\xe3\xcf\xd3\n')
    offsets = []
    for n, obj in enumerate(objects, 1):
        offsets.append(len(body))
        body += b'%d 0 obj\n' % n + obj + b'\nendobj\n'
    xref = len(body)
    body += b'xref\n0 %d\n0000000000 65535 f \n' % (len(objects) + 1)
    for off in offsets:
        body += b'%010d 00000 n \n' % off
    body += b'trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n' % (
        len(objects) + 1, xref)
    open(out, 'wb').write(body)


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2:])
