# The plot of bench/run: median seconds per workload and tool, on a log scale.
# gnuplot -e "datafile='plot.dat'; output='bench.png'; title='...'" bench/plot.gnuplot
set terminal pngcairo size 1100,560 font "sans,10"
set output output
set title title
set datafile missing "?"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.85 border -1
set boxwidth 0.9
set logscale y
set ylabel "seconds (median, log scale)"
set grid ytics
set key inside top center horizontal maxrows 2 samplen 2 width 1
set yrange [0.001:5000]
set xtics rotate by -20 scale 0
plot datafile using 2:xtic(1) title "Kelvora (Wine)" linecolor rgb "#1b6ac9", \
     '' using 3 title "sed -i" linecolor rgb "#9a9a9a", \
     '' using 4 title "perl -pi" linecolor rgb "#c9891b", \
     '' using 5 title "sd -s" linecolor rgb "#5aa05a", \
     '' using 6 title "rpl" linecolor rgb "#a05a9a", \
     '' using 7 title "limit (memchr + memmove; Wine calls + notice)" linecolor rgb "#303030"
