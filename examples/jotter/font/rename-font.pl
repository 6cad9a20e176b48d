#!/usr/bin/perl
# Renames a TrueType font: every name record that holds the old family name
# (family, full, unique and PostScript names; Mac Roman and UTF-16BE records)
# gets the new one; the copyright, licence and everything else stay. Jotter
# ships DejaVu Sans Mono renamed "Jotter Mono", as the font's licence asks of
# changed copies, and so that the font it installs is its own and not one the
# system (or Wine, from the host) already has under that name.
#   rename-font.pl IN.ttf OUT.ttf "Old Family" "New Family"
use strict;
use warnings;

my ($in, $out, $old, $new) = @ARGV;
die "usage: rename-font.pl IN.ttf OUT.ttf \"Old Family\" \"New Family\"\n" unless defined $new;
(my $oldPs = $old) =~ s/ //g;
(my $newPs = $new) =~ s/ //g;

open my $fh, '<:raw', $in or die "$in: $!\n";
my $font = do { local $/; <$fh> };
close $fh;

my ($version, $count) = unpack 'Nn', $font;
die "$in: not a TrueType font\n" unless $version == 0x00010000 && $count > 0 && $count < 64;
my (%tables, @order);
for my $i (0 .. $count - 1) {
    my ($tag, $sum, $offset, $length) = unpack 'a4NNN', substr($font, 12 + 16 * $i, 16);
    die "$in: table $tag lies outside the file\n" if $offset + $length > length $font;
    $tables{$tag} = substr($font, $offset, $length);
    push @order, $tag;
}
die "$in: no name table\n" unless exists $tables{'name'} && exists $tables{'head'};
delete $tables{'DSIG'};    # a signature no longer fits the changed font
@order = grep { $_ ne 'DSIG' } @order;

sub renamed {
    my ($text) = @_;
    $text =~ s/\Q$old\E/$new/g;
    $text =~ s/\Q$oldPs\E/$newPs/g;
    return $text;
}

# The name table, format 0, rebuilt with the same records in the same order.
my $name = $tables{'name'};
my ($format, $records, $stringOffset) = unpack 'nnn', $name;
die "$in: name table format $format\n" unless $format == 0;
my ($strings, @entries) = ('');
for my $i (0 .. $records - 1) {
    my ($platform, $encoding, $language, $id, $length, $offset) = unpack 'n6', substr($name, 6 + 12 * $i, 12);
    my $bytes = substr($name, $stringOffset + $offset, $length);
    if ($id == 1 || $id == 3 || $id == 4 || $id == 6 || $id == 16 || $id == 17) {
        # Unicode and Windows records are UTF-16BE; Mac Roman is ASCII below
        # 0x80, and both names are ASCII.
        if ($platform == 0 || $platform == 3) {
            $bytes = pack 'n*', map { ord } split //, renamed(join '', map { chr } unpack 'n*', $bytes);
        } else {
            $bytes = renamed($bytes);
        }
    }
    push @entries, pack('n6', $platform, $encoding, $language, $id, length $bytes, length $strings);
    $strings .= $bytes;
}
$tables{'name'} = pack('nnn', 0, $records, 6 + 12 * $records) . join('', @entries) . $strings;

sub checksum {
    my ($data) = @_;
    $data .= "\0" x ((4 - length($data) % 4) % 4);
    my $sum = 0;
    $sum = ($sum + $_) % 4294967296 for unpack 'N*', $data;
    return $sum;
}

# The whole file again: directory, then the tables in tag order, each on a
# 4-byte boundary; the head table's adjustment makes the file sum right.
substr($tables{'head'}, 8, 4) = pack 'N', 0;
$count = @order;
my $power = 1;
$power *= 2 while $power * 2 <= $count;
my $log = 0;
$log++ while (1 << ($log + 1)) <= $count;
my $header = pack 'Nnnnn', 0x00010000, $count, 16 * $power, $log, 16 * ($count - $power);
my $offset = 12 + 16 * $count;
my ($directory, $body, $headOffset) = ('', '', 0);
for my $tag (sort @order) {
    my $data = $tables{$tag};
    $headOffset = $offset + length $body if $tag eq 'head';
    $directory .= pack 'a4NNN', $tag, checksum($data), $offset + length $body, length $data;
    $body .= $data . ("\0" x ((4 - length($data) % 4) % 4));
}
my $file = $header . $directory . $body;
substr($file, $headOffset + 8, 4) = pack 'N', (0xB1B0AFBA - checksum($file)) % 4294967296;

open $fh, '>:raw', $out or die "$out: $!\n";
print $fh $file;
close $fh or die "$out: $!\n";
