#!/usr/bin/perl
# Draws Jotter's pictures, so that no binary picture is kept in the sources:
#   make-art.pl OUTDIR
# writes OUTDIR/background.bmp (the installer's background picture, a Windows 3
# bitmap with a 40-byte header, 24 bits) and OUTDIR/jotter.ico (the program's
# icon, 32x32, 32 bits).
use strict;
use warnings;

my $out = shift or die "usage: make-art.pl OUTDIR\n";

# A note pad of w x h pixels at (left, top): paper, blue rules, a red margin
# and a yellow binding strip. Returns [r, g, b] or undef outside the pad.
sub pad {
    my ($x, $y, $left, $top, $w, $h, $rule) = @_;
    my ($u, $v) = ($x - $left, $y - $top);
    return undef if $u < 0 || $v < 0 || $u >= $w || $v >= $h;
    return [0x33, 0x33, 0x33] if $u == 0 || $v == 0 || $u == $w - 1 || $v == $h - 1;
    return [0xF2, 0xB1, 0x34] if $v < $h / 6;
    return [0xD9, 0x48, 0x0F] if $u == int($w / 6);
    return [0x5B, 0x8D, 0xD9] if $v > $h / 6 + 2 && ($v - int($h / 6)) % $rule == 0;
    return [0xFF, 0xFD, 0xF5];
}

sub le32 { pack 'V', shift }

sub write_file {
    my ($name, $bytes) = @_;
    open my $fh, '>:raw', "$out/$name" or die "$out/$name: $!\n";
    print $fh $bytes;
    close $fh or die "$out/$name: $!\n";
}

sub bmp {
    my ($w, $h, $paint) = @_;
    my $row = ($w * 3 + 3) & ~3;
    my $pixels = '';
    for (my $y = $h - 1; $y >= 0; $y--) {    # bottom-up
        my $line = '';
        for my $x (0 .. $w - 1) {
            my $c = $paint->($x, $y);
            $line .= pack 'C3', $c->[2], $c->[1], $c->[0];
        }
        $pixels .= $line . ("\0" x ($row - length $line));
    }
    my $info = pack 'VVVvvVVVVVV', 40, $w, $h, 1, 24, 0, length $pixels, 2835, 2835, 0, 0;
    return 'BM' . le32(14 + 40 + length $pixels) . le32(0) . le32(14 + 40) . $info . $pixels;
}

sub ico {
    my ($paint) = @_;
    my ($w, $h) = (32, 32);
    my ($xor, $and) = ('', '');
    for (my $y = $h - 1; $y >= 0; $y--) {
        my $bits = '';
        for my $x (0 .. $w - 1) {
            my $c = $paint->($x, $y);
            $xor .= $c ? pack('C4', $c->[2], $c->[1], $c->[0], 255) : pack('C4', 0, 0, 0, 0);
            $bits .= $c ? '0' : '1';
        }
        $and .= pack 'B32', $bits;
    }
    my $image = pack('VVVvvVVVVVV', 40, $w, 2 * $h, 1, 32, 0, length($xor) + length($and), 0, 0, 0, 0) . $xor . $and;
    return pack('vvv', 0, 1, 1) . pack('CCCCvvVV', $w, $h, 0, 0, 1, 32, length $image, 22) . $image;
}

# The background: two pads, one behind the other, on a square of the
# installer's top colour, 240 x 180.
write_file('background.bmp', bmp(240, 180, sub {
    my ($x, $y) = @_;
    return pad($x, $y, 90, 20, 120, 150, 12) // pad($x, $y, 30, 10, 120, 150, 12) // [0x0F, 0x4C, 0x5C];
}));
write_file('jotter.ico', ico(sub { pad($_[0], $_[1], 4, 2, 24, 28, 4) }));
