# What lab/up, lab/down and lab/run share: the names and addresses of the
# network lab.  Sourced, not run.
#   lan  the PC            192.168.77.2/24, default route via the router
#   rtr  the home router   192.168.77.1 (LAN side), 203.0.113.1 (WAN side)
#   wan  the Internet      203.0.113.10: the vendor's services on port 80
#                          and the visitor
#   isp  the ISP's modem or carrier NAT between rtr and wan, in the networks
#        double-nat and cgnat only: 203.0.113.1 is then its address, and
#        the router's WAN side a private or shared one behind it
LAB_NS_LAN=lan
LAB_NS_RTR=rtr
LAB_NS_WAN=wan
LAB_NS_ISP=isp
LAB_LAN_PC=192.168.77.2
LAB_LAN_RTR=192.168.77.1
LAB_LAN_NET=192.168.77.0/24
LAB_WAN_RTR=203.0.113.1
LAB_WAN_HOST=203.0.113.10
# miniupnpd forwards only while it reports a public address: this one is
# only told to clients, nothing in the lab reaches it.
LAB_REPORTED_IP=11.22.33.44
LAB_RUN=/run/bramo-lab
# The home networks lab/up builds (the first is the default), and the one
# it built last, kept in $LAB_RUN/network.
LAB_NETWORKS="healthy no-upnp double-nat cgnat refuse-low refuse-all no-hairpin"
# The router's WAN side behind the second NAT of double-nat (RFC 1918) and
# of cgnat (RFC 6598 shared space), the upstream's address first.
LAB_DOUBLE_NAT_UP=192.168.1.1
LAB_DOUBLE_NAT_RTR=192.168.1.2/24
LAB_CGNAT_UP=100.64.0.1
LAB_CGNAT_RTR=100.64.0.2/10
# The vendor's host names, all served by the one service host in wan.
LAB_HOSTS="reg.bramo.example www.bramo.example ip1.lookup.example ip2.lookup.example"
